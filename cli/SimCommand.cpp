// framewise-cli sim create: writes a fresh flash image for the simulated frame.
#include <ostream>

#include "cli/Command.h"
#include "device/FrameImage.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis =
    "sim create IMAGE [--lcd WxH] [--flash KB] [--index-address N] [--capacity N] "
    "[--format V] [--quality Q] [--firmware TEXT]";

bool ParseSize(const std::string& text, uint32_t& width, uint32_t& height) {
    auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    if (!ParseInt(text.substr(0, x), w) || !ParseInt(text.substr(x + 1), h)) return false;
    if (w < 1 || h < 1 || w > 0xFFFF || h > 0xFFFF) return false;
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
    return true;
}

// Takes "--name N" into value when present; false (usage) when N is no number in range.
bool TakeNumber(std::vector<std::string>& args, const std::string& name, uint32_t& value, long max,
                std::ostream& err) {
    std::optional<std::string> text;
    if (!TakeOption(args, name, text, err)) return false;
    if (!text) return true;
    long n = 0;
    if (!ParseInt(*text, n) || n < 0 || n > max) {
        err << "framewise-cli: " << name << " wants a number from 0 to " << max << "\n";
        return false;
    }
    value = static_cast<uint32_t>(n);
    return true;
}

int RunSim(Context& ctx) {
    auto& args = ctx.args;
    if (args.empty() || args[0] != "create") {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    args.erase(args.begin());
    FrameImageOptions options;
    std::optional<std::string> lcd, firmware;
    if (!TakeOption(args, "--lcd", lcd, ctx.err) ||
        !TakeNumber(args, "--flash", options.flashKb, kMaxFlashKb, ctx.err) ||
        !TakeNumber(args, "--index-address", options.indexAddress, 0xFFFFFF, ctx.err) ||
        !TakeNumber(args, "--capacity", options.capacity, 0xFFFF, ctx.err) ||
        !TakeNumber(args, "--format", options.format, 0xFF, ctx.err) ||
        !TakeNumber(args, "--quality", options.quality, 0xFF, ctx.err) ||
        !TakeOption(args, "--firmware", firmware, ctx.err)) {
        return kExitUsage;
    }
    if (lcd && !ParseSize(*lcd, options.lcdWidth, options.lcdHeight)) {
        ctx.err << "framewise-cli: --lcd wants WIDTHxHEIGHT, e.g. 128x128\n";
        return kExitUsage;
    }
    if (firmware) options.firmware = *firmware;
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    std::string problem = CheckFrameImageOptions(options);
    if (!problem.empty()) {
        ctx.err << "framewise-cli: " << problem << "\n";
        return kExitUsage;
    }
    std::string error;
    if (!CreateFrameImage(args[0], options, error)) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Created " << args[0] << ": LCD " << options.lcdWidth << "x" << options.lcdHeight
            << ", " << options.flashKb << " KB flash, index at 0x" << std::hex
            << options.indexAddress << std::dec << ", firmware \"" << options.firmware << "\"\n";
    return kExitOk;
}

const CommandRegistrar kSim({"sim", kSynopsis, "write a fresh, empty frame image for --simulate",
                             RunSim});

}  // namespace
}  // namespace framewise::cli
