#include "album/PictureTotal.h"

namespace framewise {

std::string PictureTotalText(const std::string& label, int count, const PictureTotalInputs& in) {
    const std::string head = label + ":\n ";
    if (in.flashSizeKB < 1) return head + "0 \n(0 KB / 0 KB)";
    if (in.pictureCapacity == 500) {
        const int64_t bytes = in.totalPictureBytes > 0 ? in.totalPictureBytes : 0;
        // The index block (4 KB) and everything below it are used whatever the album holds.
        const long usedKB = static_cast<long>((bytes + 1023) / 1024 + 4 + in.indexAddress / 1024);
        // "%s:\n %d \n(%d KB / %d KB)"
        return head + std::to_string(count) + " \n(" + std::to_string(usedKB) + " KB / " +
               std::to_string(in.flashSizeKB) + " KB)";
    }
    // "%s:\n  \n(%d  / %d )": the count line stays empty, the count goes to the last line.
    return head + " \n(" + std::to_string(count) + "  / " + std::to_string(in.pictureCapacity) +
           " )";
}

}  // namespace framewise
