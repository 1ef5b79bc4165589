#include "transfer/SyncPlan.h"

#include <algorithm>

namespace framewise {

using namespace flash;

std::vector<std::vector<uint32_t>> ChooseSyncBlocks(const FlashModel& model, int n) {
    n = std::clamp(n, 0, kRecordCount);
    std::vector<std::vector<uint32_t>> plan(static_cast<size_t>(n));
    std::vector<bool> written(static_cast<size_t>(model.FlashBytes() / kBlockSize + 1), false);
    const int64_t ia = model.IndexAddress();
    for (int i = 0; i < n; ++i) {
        const PictureRecord& record = model.Record(i);
        if (record.state != kStateToWrite) continue;
        const int64_t a = record.address;
        const int64_t len = record.length;
        if (!model.InPictureArea(a, len)) continue;
        const int64_t first = a / kBlockSize;
        const int64_t last = len > 0 ? (a + len - 1) / kBlockSize : first;
        auto& blocks = plan[static_cast<size_t>(i)];
        if (a - ia >= kBlockSize && !written[static_cast<size_t>(first)])
            blocks.push_back(static_cast<uint32_t>(first * kBlockSize));
        for (int64_t b = first + 1; b <= last; ++b)
            blocks.push_back(static_cast<uint32_t>(b * kBlockSize));
        for (uint32_t block : blocks) written[block / kBlockSize] = true;
    }
    return plan;
}

}  // namespace framewise
