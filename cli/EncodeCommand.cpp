// framewise-cli encode: a BMP file to a device picture stream or a JFIF file.
#include <fstream>
#include <ostream>

#include "cli/Command.h"
#include "codec/BmpFile.h"
#include "codec/JpegEncoder.h"

namespace framewise::cli {

namespace {

int RunEncode(Context& ctx) {
    auto& args = ctx.args;
    std::optional<std::string> quality, flags;
    bool jfif = TakeFlag(args, "--jfif");
    if (!TakeOption(args, "--quality", quality, ctx.err) ||
        !TakeOption(args, "--flags", flags, ctx.err))
        return kExitUsage;
    if (args.size() != 2) {
        ctx.err << "framewise-cli: usage: encode IN.bmp OUT [--jfif] [--quality Q] [--flags F]\n";
        return kExitUsage;
    }
    long q = 90, f = 0;
    if (quality && (!ParseInt(*quality, q) || q < 0 || q > 65535)) {
        ctx.err << "framewise-cli: encode: --quality needs a number from 0 to 65535\n";
        return kExitUsage;
    }
    if (flags && (!ParseInt(*flags, f) || f < 0 || f > 15)) {
        ctx.err << "framewise-cli: encode: --flags needs a number from 0 to 15\n";
        return kExitUsage;
    }
    BmpImage image;
    std::string error;
    if (!ReadBmp24(args[0], image, &error)) {
        ctx.err << "framewise-cli: encode: " << args[0] << ": " << error << "\n";
        return kExitFailure;
    }
    JpegEncoder encoder(static_cast<uint16_t>(q));
    encoder.jfifMode = jfif;
    const uint32_t layout = static_cast<uint32_t>(f);
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(image.width, image.height, layout));
    size_t size = 0;
    if (!encoder.encode(image.rows.data(), out.data(), image.width, image.height, size, layout,
                        out.size())) {
        ctx.err << "framewise-cli: encode: " << args[0]
                << ": the picture cannot be coded with the standard tables at this quality\n";
        return kExitFailure;
    }
    std::ofstream file(args[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(size));
    file.flush();
    if (!file) {
        ctx.err << "framewise-cli: encode: cannot write " << args[1] << "\n";
        return kExitFailure;
    }
    ctx.out << "Wrote " << size << " bytes (" << image.width << " x " << image.height << ", "
            << (jfif ? "JFIF" : "device stream") << ", quality " << q << ", flags " << f << ")\n";
    return kExitOk;
}

const CommandRegistrar kEncode({"encode", "encode IN.bmp OUT [--jfif] [--quality Q] [--flags F]",
                                "encode a BMP file as a device picture stream (default: quality "
                                "90, flags 0) or, with --jfif, as a JFIF file",
                                RunEncode});

}  // namespace

}  // namespace framewise::cli
