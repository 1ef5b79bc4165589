#include "transfer/AlbumWritable.h"

#include <cstdio>

#include "config/Language.h"
#include "transfer/FlashLayout.h"

namespace framewise {

bool AlbumWritable(int indexAddress) {
    return indexAddress >= 0 && indexAddress % static_cast<int>(flash::kBlockSize) == 0;
}

std::string ReadOnlyAlbumText(const Language& language, int indexAddress) {
    char address[16];
    std::snprintf(address, sizeof address, "0x%x", static_cast<unsigned>(indexAddress));
    const std::string english =
        std::string("This frame keeps its album index at ") + address +
        ", which does not start a 64 KB flash block: its pictures can be viewed and saved, but "
        "the album cannot be changed or written to the frame.";
    const std::string chinese = std::string("此相框的相册索引位于 ") + address +
                                ", 不在 64 KB 闪存块的起点: 可以查看和保存其中的图片, "
                                "但不能修改相册, 也不能把相册写入相框。";
    return language.Pick(english, chinese);
}

}  // namespace framewise
