// 24-bit Windows bitmap files: the album picture file writer, and a reader that turns
// 16-bit (5-5-5 or bit fields), 24-bit and 32-bit files into 24-bit bottom-up rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace framewise {

// Row length of a 24-bit bitmap: 3 * width rounded up to a multiple of 4.
int BmpRowStride(int width);

// The 54-byte file and information header of a 24-bit bottom-up bitmap; resolution is the
// pixels-per-metre value of both resolution fields (0 for device reads, 300 for decodes).
std::vector<uint8_t> BmpHeader24(int width, int height, int resolution);

// Header plus pixel rows (bottom-up, stride BmpRowStride(width)) as one byte vector.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint8_t* bottomUpRows,
                                 int resolution);

// Writes the album picture file; false when the file cannot be written completely.
bool WriteBmp24(const std::filesystem::path& path, int width, int height,
                const uint8_t* bottomUpRows, int resolution);

struct BmpImage {
    int width = 0;
    int height = 0;             // always positive
    int bitsPerPixel = 0;       // of the file that was read
    std::vector<uint8_t> rows;  // 24-bit BGR, bottom-up, stride BmpRowStride(width)
};

// Largest width or height the reader accepts; the codecs hold sizes in 16 bits.
constexpr int kBmpMaxDimension = 65535;

// Reads a bitmap from bytes in memory / from a file. Accepts 16-bit (5-5-5 by default, or
// BI_BITFIELDS masks), 24-bit and 32-bit uncompressed files, bottom-up or top-down. Every
// field is checked against the data, so a damaged or hostile file never reads out of bounds;
// on failure error (when given) gets a one-line reason.
bool DecodeBmp24(const uint8_t* data, size_t size, BmpImage& out, std::string* error);
bool ReadBmp24(const std::filesystem::path& path, BmpImage& out, std::string* error);

}  // namespace framewise
