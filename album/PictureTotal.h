// The "Total Pictures" text under the album list: the picture count with the flash used and
// the flash size, or the count against the device's picture capacity.
#pragma once

#include <cstdint>
#include <string>

namespace framewise {

// What the text is made of, as the device connection and the flash model hold it.
struct PictureTotalInputs {
    int flashSizeKB = 0;            // 0 before a device was attached
    int pictureCapacity = 500;      // the device's maximum number of pictures
    int indexAddress = 0x30000;     // flash below it counts as used
    int64_t totalPictureBytes = 0;  // sum of the lengths of the album's pictures
};

// The three forms: no device ("%s:\n 0 \n(0 KB / 0 KB)"), capacity 500 (count with used and
// total KB; used = ceiling(bytes / 1024) + 4 + index address / 1024), any other capacity
// (count against capacity). label is the looked-up "Total Pictures".
std::string PictureTotalText(const std::string& label, int count, const PictureTotalInputs& in);

}  // namespace framewise
