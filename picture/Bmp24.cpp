#include "picture/Bmp24.h"

#include <cstdint>
#include <vector>

namespace framewise {

bool WriteBmp24(const std::filesystem::path& file, const QImage& picture) {
    if (picture.isNull()) return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    const int stride = BmpRowStride(w);
    std::vector<std::uint8_t> rows(std::size_t(stride) * h, 0);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* out = &rows[std::size_t(h - 1 - y) * stride];
        for (int x = 0; x < w; ++x) {
            out[x * 3] = std::uint8_t(qBlue(line[x]));
            out[x * 3 + 1] = std::uint8_t(qGreen(line[x]));
            out[x * 3 + 2] = std::uint8_t(qRed(line[x]));
        }
    }
    return WriteBmp24(file, w, h, rows.data(), 0);
}

}  // namespace framewise
