// framewise-cli: the headless twin of the program.
#include <iostream>
#include <map>

#include "cli/Command.h"
#include "device/SimFaultText.h"

namespace framewise::cli {

namespace {
std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: framewise-cli [--simulate IMAGE [--sim-fault KIND@N]...] [--work-root DIR] "
           "[--yes] COMMAND [ARGS...]\n"
           "\n"
           "Talks to a USB picture frame (or a simulated one) without the window.\n"
           "\n"
           "Global options:\n"
           "  --simulate IMAGE   use a simulated frame over the flash image file IMAGE\n"
           "  --sim-fault KIND@N a testing aid for --simulate, repeatable: the simulated frame\n"
           "                     fails at the Nth command the run sends (N=1 is the first).\n"
           "                     KIND is fail-transfer (the command fails), flip-read-bit (a\n"
           "                     flash read from then on comes back with a flipped bit),\n"
           "                     corrupt-program (a page program from then on stores a\n"
           "                     flipped bit), wrong-verify (a verify value from then on is\n"
           "                     off by one) or unplug (the frame is pulled out and stays out\n"
           "                     until 'framewise-cli sim plug IMAGE')\n"
           "  --work-root DIR    keep the work files in DIR instead of the private temp folder\n"
           "  --yes              answer Yes to every question (without it, a question not\n"
           "                     answered on a terminal is answered No)\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Commands:\n";
    std::multimap<std::string, const Command*> sorted;
    for (const auto& c : Table()) sorted.emplace(c.name, &c);
    for (const auto& [name, c] : sorted) {
        out << "  " << c->synopsis << "\n      " << c->summary << "\n";
    }
    out << "\n"
           "Write plans: with --dry-run, add, delete, move and restore print what the write\n"
           "would do and write nothing (no backup either): the 64 KB blocks erased and\n"
           "programmed (the index block last) with the pictures each holds, the pictures\n"
           "added and moved by a repack, the blocks read first (a synchronize's backup; a\n"
           "restore reads every block of the backup's album to find those that differ), the\n"
           "bytes sent and the time at the link's measured speed. With --json, one JSON\n"
           "object: kind (synchronize|restore), backupFile (restore), blocks (address,\n"
           "length, erase, index, pictures: album numbers, 1 = 0001), blocksWritten, added,\n"
           "moved, pictures (held afterwards), backup, readsFrame, blocksRead, bytesRead,\n"
           "bytesSent, commands, seconds, speedMeasured.\n"
           "\nExit status: 0 success, 1 failure, 2 usage error.\n";
}
}  // namespace

void RegisterCommand(Command command) { Table().push_back(std::move(command)); }
const std::vector<Command>& Commands() { return Table(); }

bool TakeOption(std::vector<std::string>& args, const std::string& name,
                std::optional<std::string>& value, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) {
            err << "framewise-cli: " << name << " needs a value\n";
            return false;
        }
        value = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return true;
    }
    return true;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool ParseInt(const std::string& text, long& value) {
    if (text.empty()) return false;
    try {
        size_t used = 0;
        value = std::stol(text, &used, 0);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

int Main(int argc, char** argv, std::ostream& out, std::ostream& err) {
    GlobalOptions global;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            PrintHelp(out);
            return kExitOk;
        } else if (a == "--version") {
            out << "framewise-cli " << FRAMEWISE_VERSION << "\n";
            return kExitOk;
        } else if (a == "--yes") {
            global.assumeYes = true;
        } else if (a == "--simulate" || a == "--work-root") {
            if (i + 1 >= argc) {
                err << "framewise-cli: " << a << " needs a value\n";
                return kExitUsage;
            }
            (a == "--simulate" ? global.simulateImage : global.workRoot) = argv[++i];
        } else if (a == "--sim-fault") {
            if (i + 1 >= argc) {
                err << "framewise-cli: --sim-fault needs a value (KIND@N)\n";
                return kExitUsage;
            }
            std::string error;
            const auto fault = ParseSimFault(argv[++i], error);
            if (!fault) {
                err << "framewise-cli: --sim-fault " << error << "\n";
                return kExitUsage;
            }
            global.simFaults.push_back(*fault);
        } else if (a.rfind("--", 0) == 0) {
            err << "framewise-cli: unknown option " << a << " (see --help)\n";
            return kExitUsage;
        } else {
            break;
        }
    }
    if (!global.simFaults.empty() && !global.simulateImage) {
        err << "framewise-cli: --sim-fault works on a simulated frame: give --simulate IMAGE\n";
        return kExitUsage;
    }
    if (i >= argc) {
        PrintHelp(err);
        return kExitUsage;
    }
    std::string name = argv[i++];
    for (const auto& c : Table()) {
        if (c.name != name) continue;
        Context ctx{global, std::vector<std::string>(argv + i, argv + argc), out, err};
        if (TakeFlag(ctx.args, "--help") || TakeFlag(ctx.args, "-h")) {
            out << "Usage: framewise-cli [global options] " << c.synopsis << "\n  " << c.summary
                << "\n";
            return kExitOk;
        }
        return c.run(ctx);
    }
    err << "framewise-cli: unknown command " << name << " (see --help)\n";
    return kExitUsage;
}

}  // namespace framewise::cli

int main(int argc, char** argv) { return framewise::cli::Main(argc, argv, std::cout, std::cerr); }
