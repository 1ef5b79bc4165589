#include "app/AppOptions.h"

namespace framewise {

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
        if (a == "--simulate" || a == "--work-root") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                o.error = a + " needs a value";
                return o;
            }
            (a == "--simulate" ? o.simulateImage : o.workRoot) = args[++i];
            continue;
        }
        o.error = (a.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + a;
        return o;
    }
    return o;
}

std::string AppUsage() {
    return "Usage: framewise [--simulate IMAGE] [--work-root DIR]\n"
           "\n"
           "The desktop companion of USB picture frames: reads the frame's album, lets you\n"
           "add, delete, reorder and save pictures, and writes the album back.\n"
           "\n"
           "Options:\n"
           "  --simulate IMAGE   use a simulated frame over the flash image file IMAGE\n"
           "                     (framewise-cli sim create IMAGE makes one)\n"
           "  --work-root DIR    keep the work files in DIR instead of the private temp folder\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "A second start brings the running window forward.\n";
}

}  // namespace framewise
