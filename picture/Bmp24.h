// The preview's work files as 24-bit bottom-up BMP files: headers written field by field in
// little-endian order, rows padded to a multiple of 4 bytes.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace framewise {

// Bytes of one 24-bit row of width pixels, padded to a multiple of 4.
int PaddedRow24(int width);

// Writes rows (height rows of PaddedRow24(width) bytes, blue-green-red, bottom row first)
// under a 54-byte header with 0 resolutions and colour counts. False when the file cannot be
// written or rows is too short.
bool WriteBmp24Rows(const std::filesystem::path& file, int width, int height,
                    const std::vector<std::uint8_t>& rows);

// Writes a picture as a 24-bit BMP file.
bool WriteBmp24(const std::filesystem::path& file, const QImage& picture);

}  // namespace framewise
