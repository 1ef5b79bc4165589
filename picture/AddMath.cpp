#include "picture/AddMath.h"

#include <QPainter>

#include "picture/Halftone.h"

namespace framewise {

std::optional<long long> PerPictureBudget(long long flashKB, long long totalStoredBytes,
                                          long long indexAddress, int capacity, int count) {
    const int freeNumbers = capacity - count;
    if (freeNumbers <= 0) return std::nullopt;
    const long long storedKB = (totalStoredBytes + 1023) / 1024;
    return ((flashKB - storedKB - indexAddress / 1024 - 4) * 1024) / freeNumbers;
}

Point CutOrigin(const Rect& crop, Point ptShow) {
    return {crop.left - ptShow.x + 1, crop.top - ptShow.y + 1};
}

QImage CutPicture(const QImage& working, Size shown, const Rect& crop, Point ptShow, Size lcd,
                  QColor buttonFace) {
    if (lcd.width <= 0 || lcd.height <= 0) return {};
    QImage cut(lcd.width, lcd.height, QImage::Format_RGB32);
    cut.fill(buttonFace);
    const QImage stretched = HalftoneStretch(working, shown.width, shown.height);
    if (stretched.isNull()) return cut;
    const Point origin = CutOrigin(crop, ptShow);
    for (int y = 0; y < lcd.height; ++y) {
        const int sy = origin.y + y;
        if (sy < 0 || sy >= stretched.height()) continue;
        const QRgb* in = reinterpret_cast<const QRgb*>(stretched.constScanLine(sy));
        QRgb* out = reinterpret_cast<QRgb*>(cut.scanLine(y));
        for (int x = 0; x < lcd.width; ++x) {
            const int sx = origin.x + x;
            if (sx >= 0 && sx < stretched.width()) out[x] = in[sx];
        }
    }
    return cut;
}

BudgetedEncode EncodeWithinBudget(int startQuality, int capacity, long long budget,
                                  const EncodeAtQuality& encode) {
    BudgetedEncode result;
    int q = startQuality;
    for (;;) {
        const std::optional<std::size_t> size = encode ? encode(q) : std::nullopt;
        ++result.attempts;
        if (!size) break;
        result.quality = q;
        result.size = *size;
        if (capacity == 500) {
            result.accepted = true;
            return result;
        }
        if (q - 10 < 0) break;
        if ((long long)*size <= budget) {
            result.accepted = true;
            return result;
        }
        q -= 10;
    }
    result.accepted = false;
    result.message = kCanNotAddText;
    return result;
}

}  // namespace framewise
