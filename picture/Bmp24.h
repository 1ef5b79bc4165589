// The preview's work files as 24-bit bottom-up BMP files: a picture's pixels turned into the
// rows codec's bitmap writer stores.
#pragma once

#include <QImage>
#include <filesystem>

#include "codec/BmpFile.h"

namespace framewise {

// Writes a picture as a 24-bit BMP file with 0 resolutions. False when the picture is empty
// or the file cannot be written.
bool WriteBmp24(const std::filesystem::path& file, const QImage& picture);

}  // namespace framewise
