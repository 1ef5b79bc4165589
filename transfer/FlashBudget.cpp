#include "transfer/FlashBudget.h"

#include <algorithm>
#include <cmath>

#include "transfer/DeviceInfo.h"
#include "transfer/FlashLayout.h"
#include "transfer/FlashModel.h"

namespace framewise {

long EstimatedPictureBytes(int width, int height, int quality) {
    // About 0.6 bits a pixel for a photograph at the lowest qualities, rising to 3 at 100.
    const double q = std::clamp(quality, 1, 100) / 100.0;
    const double bitsPerPixel = 0.6 + 2.4 * q * q * q;
    const double pixels = static_cast<double>(std::max(width, 1)) * std::max(height, 1);
    return std::max(1L, std::lround(pixels * bitsPerPixel / 8.0));
}

FlashBudget ComputeFlashBudget(const FlashModel& model, const DeviceInfo& info, int albumCount,
                               int quality) {
    FlashBudget budget;
    budget.flashBytes = static_cast<long>(info.FlashBytes());
    budget.pictures = std::max(albumCount, 0);
    budget.capacity = std::min(info.capacity, flash::kIndexEntries);
    if (budget.flashBytes <= 0) return budget;
    // Add takes a picture while it is smaller than this (the last 4 KB of the flash stay free;
    // the gaps deleted pictures leave count as free, since a repack closes them).
    const long limit = (static_cast<long>(info.flashSizeKB) - 4) * 1024 - info.indexAddress -
                       model.TotalStoredBytes();
    budget.freeBytes = std::max(limit, 0L);
    budget.usedBytes = budget.flashBytes - budget.freeBytes;
    if (budget.pictures > 0 && model.TotalStoredBytes() > 0) {
        budget.pictureBytes = (model.TotalStoredBytes() + budget.pictures - 1) / budget.pictures;
    } else {
        budget.pictureBytes = EstimatedPictureBytes(info.lcdWidth, info.lcdHeight, quality);
        budget.estimated = true;
    }
    // The (k + 1)-th picture fits while (k + 1) pictures are smaller than the limit together.
    const long byBytes = limit > 0 ? (limit - 1) / budget.pictureBytes : 0;
    const long byCount = std::max(budget.capacity - budget.pictures, 0);
    budget.moreFit = static_cast<int>(std::min(byBytes, byCount));
    return budget;
}

}  // namespace framewise
