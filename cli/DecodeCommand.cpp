// framewise-cli decode: a device picture stream or .dpf file to a 24-bit BMP file.
#include <fstream>
#include <iterator>
#include <ostream>

#include "cli/Command.h"
#include "codec/BmpFile.h"
#include "codec/JpegDecoder.h"

namespace framewise::cli {

namespace {

int RunDecode(Context& ctx) {
    auto& args = ctx.args;
    if (args.size() != 2) {
        ctx.err << "framewise-cli: usage: decode IN OUT.bmp\n";
        return kExitUsage;
    }
    std::ifstream file(args[0], std::ios::binary);
    if (!file) {
        ctx.err << "framewise-cli: decode: cannot open " << args[0] << "\n";
        return kExitFailure;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    int width = 0, height = 0;
    if (!ReadStreamSize(data.data(), data.size(), width, height) || width < 1 || height < 1) {
        ctx.err << "framewise-cli: decode: " << args[0] << ": not a device picture stream\n";
        return kExitFailure;
    }
    // The expected size is the one the stream declares, as if the frame had that LCD.
    JpegDecoder decoder;
    DecodedPicture picture;
    if (!decoder.decode(data.data(), data.size(), width, height, picture)) {
        ctx.err << "framewise-cli: decode: " << args[0]
                << ": damaged or unsupported picture stream\n";
        return kExitFailure;
    }
    ctx.out << SamplingName(picture.samplingMode) << "\n";
    const int stride = BmpRowStride(width);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        std::copy_n(picture.bgr.begin() + static_cast<long>(y) * width * 3, width * 3,
                    rows.begin() + static_cast<long>(height - 1 - y) * stride);
    if (!WriteBmp24(args[1], width, height, rows.data(), 300)) {
        ctx.err << "framewise-cli: decode: cannot write " << args[1] << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

const CommandRegistrar kDecode(
    {"decode", "decode IN OUT.bmp",
     "decode a device picture stream or .dpf file into a 24-bit BMP file "
     "of the size its header gives",
     RunDecode});

}  // namespace

}  // namespace framewise::cli
