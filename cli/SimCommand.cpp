// framewise-cli sim create: writes a fresh flash image for the simulated frame; sim demo
// writes one with pictures on it; sim plug and sim unplug put a simulated frame in and pull
// it out, also under a program running on it.
#include <ostream>

#include "cli/Command.h"
#include "cli/SimDemo.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"

namespace framewise::cli {

namespace {

constexpr const char* kCreateSynopsis =
    "sim create IMAGE [--lcd WxH] [--flash KB] [--index-address N] [--capacity N] "
    "[--format V] [--quality Q] [--firmware TEXT]";
constexpr const char* kDemoSynopsis = "sim demo IMAGE [the options of sim create]";
constexpr const char* kSynopsis =
    "sim create IMAGE [--lcd WxH] [--flash KB] [--index-address N] [--capacity N] "
    "[--format V] [--quality Q] [--firmware TEXT] | sim demo IMAGE [OPTIONS] | "
    "sim unplug IMAGE | sim plug IMAGE";
constexpr const char* kSummary =
    "write a fresh, empty frame image for --simulate, or (demo) one with a few pictures "
    "Framewise paints itself; pull the simulated frame out or put it back, also under a "
    "program running on IMAGE (it stays out while IMAGE.unplugged exists)";

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

int RunPlug(Context& ctx, bool plugged) {
    const auto& args = ctx.args;
    if (args.size() != 2 || args[1].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli sim " << (plugged ? "plug" : "unplug") << " IMAGE\n";
        return kExitUsage;
    }
    std::string error;
    if (!SetImagePlugged(args[1], plugged, error)) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << (plugged ? "Plugged in " : "Unplugged ") << args[1] << "\n";
    return kExitOk;
}

// sim create and sim demo: the frame's options and the image.
int RunCreate(Context& ctx, bool demo) {
    auto& args = ctx.args;
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
        ctx.err << "usage: framewise-cli " << (demo ? kDemoSynopsis : kCreateSynopsis) << "\n";
        return kExitUsage;
    }
    std::string problem = CheckFrameImageOptions(options);
    if (!problem.empty()) {
        ctx.err << "framewise-cli: " << problem << "\n";
        return kExitUsage;
    }
    if (demo) return CreateDemoFrame(ctx, args[0], options);
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

int RunSim(Context& ctx) {
    const std::string what = ctx.args.empty() ? std::string() : ctx.args[0];
    if (what == "create" || what == "demo") return RunCreate(ctx, what == "demo");
    if (what == "plug" || what == "unplug") return RunPlug(ctx, what == "plug");
    ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
    return kExitUsage;
}

const CommandRegistrar kSim({"sim", kSynopsis, kSummary, RunSim});

}  // namespace
}  // namespace framewise::cli
