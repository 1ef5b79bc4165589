#include "cli/PictureNumber.h"

namespace framewise::cli {

bool ParsePictureNumber(const std::string& text, long& number) {
    if (text.empty() || text.size() > 9) return false;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return false;
    number = value;
    return true;
}

}  // namespace framewise::cli
