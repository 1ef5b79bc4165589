#include "picture/Bmp24.h"

#include <fstream>

namespace framewise {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v & 0xff));
    out.push_back(std::uint8_t((v >> 8) & 0xff));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

}  // namespace

int PaddedRow24(int width) {
    return (width * 3 + 3) / 4 * 4;
}

bool WriteBmp24Rows(const std::filesystem::path& file, int width, int height,
                    const std::vector<std::uint8_t>& rows) {
    if (width < 0 || height < 0) return false;
    const std::uint32_t imageSize = std::uint32_t(PaddedRow24(width)) * std::uint32_t(height);
    if (rows.size() < imageSize) return false;
    std::vector<std::uint8_t> header;
    header.reserve(54);
    header.push_back('B');
    header.push_back('M');
    Put32(header, imageSize + 54);  // file size
    Put16(header, 0);               // reserved
    Put16(header, 0);
    Put32(header, 54);  // pixel data offset
    Put32(header, 40);  // information header size
    Put32(header, std::uint32_t(width));
    Put32(header, std::uint32_t(height));  // positive: bottom-up rows
    Put16(header, 1);                      // planes
    Put16(header, 24);                     // bits per pixel
    Put32(header, 0);                      // no compression
    Put32(header, imageSize);
    Put32(header, 0);  // horizontal resolution
    Put32(header, 0);  // vertical resolution
    Put32(header, 0);  // colours used
    Put32(header, 0);  // important colours

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    out.write(reinterpret_cast<const char*>(rows.data()), std::streamsize(imageSize));
    return bool(out);
}

bool WriteBmp24(const std::filesystem::path& file, const QImage& picture) {
    if (picture.isNull()) return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    const int stride = PaddedRow24(w);
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
    return WriteBmp24Rows(file, w, h, rows);
}

}  // namespace framewise
