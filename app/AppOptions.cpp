#include "app/AppOptions.h"

#include "device/SimFaultText.h"

namespace framewise {

namespace {

// "usb-full-speed", or a number of bytes per second (with the full-speed link's latency).
std::optional<SimulatedFrame::LinkModel> ParseSimLink(const std::string& text) {
    SimulatedFrame::LinkModel link = SimulatedFrame::UsbFullSpeed();
    if (text == "usb-full-speed") return link;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9)
        return std::nullopt;
    link.bytesPerSecond = std::stoull(text);
    if (link.bytesPerSecond == 0) return std::nullopt;
    return link;
}

}  // namespace

AppOptions ParseAppOptions(const std::vector<std::string>& args) {
    AppOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        }
        if (a == "--version") {
            o.version = true;
            return o;
        }
        if (a == "--simulate" || a == "--work-root" || a == "--sim-fault" || a == "--sim-link") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                o.error = a + (a == "--sim-fault" ? " needs a value (KIND@N)" : " needs a value");
                return o;
            }
            const std::string& value = args[++i];
            if (a == "--sim-fault") {
                std::string error;
                const auto fault = ParseSimFault(value, error);
                if (!fault) {
                    o.error = "--sim-fault " + error;
                    return o;
                }
                o.simFaults.push_back(*fault);
            } else if (a == "--sim-link") {
                o.simLink = ParseSimLink(value);
                if (!o.simLink) {
                    o.error = "--sim-link wants usb-full-speed or a number of bytes per second";
                    return o;
                }
            } else {
                (a == "--simulate" ? o.simulateImage : o.workRoot) = value;
            }
            continue;
        }
        o.error = (a.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + a;
        return o;
    }
    if ((!o.simFaults.empty() || o.simLink) && !o.simulateImage)
        o.error = std::string(o.simFaults.empty() ? "--sim-link" : "--sim-fault") +
                  " works on a simulated frame: give --simulate IMAGE";
    return o;
}

std::string AppUsage() {
    return "Usage: framewise [--simulate IMAGE [--sim-fault KIND@N]... [--sim-link SPEED]]\n"
           "                 [--work-root DIR]\n"
           "\n"
           "The desktop companion of USB picture frames: reads the frame's album, lets you\n"
           "add, delete, reorder and save pictures, and writes the album back.\n"
           "\n"
           "Options:\n"
           "  --simulate IMAGE   use a simulated frame over the flash image file IMAGE\n"
           "                     (framewise-cli sim create IMAGE makes one; framewise-cli sim\n"
           "                     unplug IMAGE and sim plug IMAGE pull it out of this window\n"
           "                     and put it back)\n"
           "  --sim-fault KIND@N a testing aid for --simulate, repeatable: the simulated frame\n"
           "                     fails at the Nth command the run sends (N=1 is the first).\n"
           "                     KIND is one of " +
           SimFaultNames() +
           "\n"
           "  --sim-link SPEED   a testing aid for --simulate: the simulated frame answers at\n"
           "                     the pace of a USB full-speed frame (usb-full-speed) or at\n"
           "                     SPEED bytes per second\n"
           "  --work-root DIR    keep the work files in DIR instead of the private temp folder\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "A second start brings the running window forward.\n";
}

}  // namespace framewise
