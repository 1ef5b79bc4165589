#include "picture/AlbumPictureReader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "config/Frontend.h"
#include "config/Language.h"

namespace framewise {
namespace {

std::uint32_t Get16(const std::uint8_t* p) {
    return p[0] | (std::uint32_t(p[1]) << 8);
}
std::uint32_t Get32(const std::uint8_t* p) {
    return Get16(p) | (Get16(p + 2) << 16);
}

}  // namespace

int FrameRowStride(int width) {
    return (width + 1) * 3 / 4 * 4;
}

std::filesystem::path AlbumPicturePath(const std::filesystem::path& albumFolder, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.bmp", number);
    return albumFolder / name;
}

bool ReadAlbumPicture(const std::filesystem::path& albumFolder, int number, Size lcd,
                      std::vector<std::uint8_t>& frameBuffer, const Language& language,
                      Frontend& frontend) {
    const std::filesystem::path file = AlbumPicturePath(albumFolder, number);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        frontend.ShowMessage(
            FormatText(language.Pick("Cannot open file %s!", "无法打开文件 %s!"), file.string()));
        return false;
    }
    const int w = std::max(0, lcd.width);
    const int h = std::max(0, lcd.height);
    std::uint8_t header[54] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const std::uint32_t bitCount = Get16(header + 28);
    // Pixels start where the file says; files of this program always put them at 54.
    const std::uint32_t offset = std::max<std::uint32_t>(Get32(header + 10), 54);
    const int bytesPerPixel = bitCount == 16 ? 2 : bitCount == 32 ? 4 : 3;
    // Every BMP row is padded to a multiple of 4 bytes, 16-bit rows of odd width included.
    const std::size_t fileRow = (std::size_t(w) * bytesPerPixel + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(fileRow * h, 0);
    in.clear();
    in.seekg(offset);
    in.read(reinterpret_cast<char*>(rows.data()), std::streamsize(rows.size()));

    // The encoder reads padded rows; rows packed back to back would shear every picture whose
    // width is not a multiple of 4.
    const std::size_t stride = std::size_t(FrameRowStride(w));
    std::vector<std::uint8_t> pixels(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = &rows[fileRow * y];
        std::uint8_t* out = &pixels[stride * y];
        for (int x = 0; x < w; ++x, out += 3) {
            if (bytesPerPixel == 2) {
                const std::uint32_t p = Get16(src + 2 * x);
                out[0] = std::uint8_t((p & 31) * 8);
                out[1] = std::uint8_t(((p >> 5) & 31) * 8);
                out[2] = std::uint8_t(((p >> 10) & 31) * 8);
            } else {
                const std::uint8_t* s = src + std::size_t(bytesPerPixel) * x;
                out[0] = s[0];
                out[1] = s[1];
                out[2] = s[2];
            }
        }
    }
    frameBuffer = std::move(pixels);
    return true;
}

std::vector<std::uint8_t> FrameBufferPixels(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    const std::size_t stride = std::size_t(FrameRowStride(w));
    std::vector<std::uint8_t> pixels(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(h - 1 - y));
        std::uint8_t* out = &pixels[stride * y];
        for (int x = 0; x < w; ++x, out += 3) {
            out[0] = std::uint8_t(qBlue(line[x]));
            out[1] = std::uint8_t(qGreen(line[x]));
            out[2] = std::uint8_t(qRed(line[x]));
        }
    }
    return pixels;
}

}  // namespace framewise
