#include "picture/DpfLoader.h"

#include <fstream>
#include <vector>

#include "config/Frontend.h"
#include "config/Language.h"
#include "config/WorkPaths.h"
#include "picture/Bmp24.h"

namespace framewise {

std::optional<Size> ReadDpfSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    unsigned char head[4] = {};
    in.read(reinterpret_cast<char*>(head), 4);
    if (in.gcount() != 4) return std::nullopt;
    return Size{head[0] * 256 + head[1], head[2] * 256 + head[3]};
}

bool LoadDpfFile(const std::string& path, Size lcd, const DecodeToBitmap& decode,
                 const WorkPaths& paths, const Language& language, Frontend& frontend) {
    const std::string notSuit =
        FormatText(language.Pick("The dpf file %s is not suit for the size of this Device!",
                                 "选取的dpf文件%s不适用于本设备的尺寸!"),
                   path);
    {
        std::ifstream probe(path, std::ios::binary);
        if (!probe) return false;
    }
    // A file too short to carry its size cannot suit any device.
    const std::optional<Size> size = ReadDpfSize(path);
    if (!size || *size != lcd) {
        frontend.ShowMessage(notSuit);
        return false;
    }
    if (!decode || !decode(path, paths.bmpTmp)) {
        frontend.ShowMessage(notSuit);
        return false;
    }
    std::ifstream bmp(paths.bmpTmp, std::ios::binary);
    if (!bmp) {
        frontend.ShowMessage(FormatText("Open file %s failed!", paths.bmpTmp.string()));
        return false;
    }
    // Rows the decoded file does not hold stay black.
    const int stride = BmpRowStride(lcd.width);
    std::vector<std::uint8_t> rows(std::size_t(stride) * lcd.height, 0);
    bmp.seekg(54);
    bmp.read(reinterpret_cast<char*>(rows.data()), std::streamsize(rows.size()));
    return WriteBmp24(paths.forShow, lcd.width, lcd.height, rows.data(), 0);
}

}  // namespace framewise
