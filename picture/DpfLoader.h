// Loading a device picture file (.dpf) into the preview: the size check against the LCD, the
// decode into the temporary bitmap, and the 24-bit "ForShow.bmp" the canvas then shows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "picture/Geometry.h"

namespace framewise {

class Frontend;
class Language;
struct WorkPaths;

// Decodes the device picture stream in the file stream into a 24-bit BMP file bitmap of the
// LCD size; false on failure. The codec's decodeToBitmap, bound to the LCD size.
using DecodeToBitmap =
    std::function<bool(const std::filesystem::path& stream, const std::filesystem::path& bitmap)>;

// Width and height from the first four bytes (each unsigned 16-bit big-endian); nullopt when
// the file cannot be opened or is shorter than four bytes.
std::optional<Size> ReadDpfSize(const std::filesystem::path& file);

// LoadDpfFile: answers true when paths.forShow now holds the decoded picture. Shows
// "The dpf file %s is not suit for the size of this Device!" (or its Chinese form) when the
// size differs from the LCD or the decode fails, and "Open file %s failed!" when the decoded
// bitmap cannot be opened; a file that cannot be opened answers false silently.
bool LoadDpfFile(const std::string& path, Size lcd, const DecodeToBitmap& decode,
                 const WorkPaths& paths, const Language& language, Frontend& frontend);

}  // namespace framewise
