// Reads the number of an album picture as the commands print it: "0010" is picture 10, the
// name 0010.bmp, never an octal 8.
#pragma once

#include <string>

namespace framewise::cli {

// True for decimal digits only (leading zeros allowed) naming a picture from 1 up.
bool ParsePictureNumber(const std::string& text, long& number);

}  // namespace framewise::cli
