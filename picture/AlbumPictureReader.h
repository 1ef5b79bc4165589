// Reading an album picture file back as the encoder's input: LCD-sized rows of blue, green,
// red bytes, bottom row first, each padded to a multiple of 4 bytes (the encoder's stride),
// from 16-bit (5-5-5), 24-bit or 32-bit BMP files.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "picture/Geometry.h"

namespace framewise {

class Frontend;
class Language;

// The album picture file of number n: "%04d.bmp" in the album folder.
std::filesystem::path AlbumPicturePath(const std::filesystem::path& albumFolder, int number);

// Bytes of one frame buffer row: 3 x width rounded up to a multiple of 4.
int FrameRowStride(int width);

// ReadAlbumPicture: fills frameBuffer with lcd.height rows of FrameRowStride(lcd.width) bytes
// (padding and rows the file does not hold are 0). When the file cannot be opened, shows "Cannot
// open file %s!" (or its Chinese form), leaves frameBuffer as it was and answers false.
bool ReadAlbumPicture(const std::filesystem::path& albumFolder, int number, Size lcd,
                      std::vector<std::uint8_t>& frameBuffer, const Language& language,
                      Frontend& frontend);

// The same bytes straight from a picture (the cut), as its 24-bit album file would give them.
std::vector<std::uint8_t> FrameBufferPixels(const QImage& picture);

}  // namespace framewise
