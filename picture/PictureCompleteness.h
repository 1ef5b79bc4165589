// Tells a picture file cut short (an interrupted copy or download) from a whole one, for the
// formats whose readers quietly fill the missing part: JPEG, BMP and GIF.
#pragma once

#include <filesystem>

namespace framewise {

// True when the file is a JPEG without its end marker or whose first scan is far too short for
// the size its header declares, a BMP shorter than its pixel rows, or a GIF whose first image
// ends early. Other contents, and files that cannot be read, answer false
// (their reader decides).
bool PictureFileCutShort(const std::filesystem::path& file);

}  // namespace framewise
