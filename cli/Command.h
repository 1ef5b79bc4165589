// The command table of framewise-cli: every subcommand registers one entry from its
// own file, with injectable streams and an exit code (0 success, 1 failure, 2 usage).
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/SimulatedFrame.h"

namespace framewise::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Options given before the subcommand.
struct GlobalOptions {
    std::optional<std::string> simulateImage;  // --simulate IMAGE
    std::optional<std::string> workRoot;       // --work-root DIR
    // --sim-fault KIND@N, repeatable: faults armed on the simulated frame when it is opened.
    std::vector<std::pair<SimFault, uint64_t>> simFaults;
    bool assumeYes = false;                    // --yes: answer Yes to every question
};

struct Context {
    GlobalOptions global;
    std::vector<std::string> args;  // arguments after the subcommand name
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    std::string name;
    std::string synopsis;  // one line for --help, e.g. "encode IN.bmp OUT [--jfif] ..."
    std::string summary;   // what it does, one line
    std::function<int(Context&)> run;
};

// Registers a command; used through a static CommandRegistrar in each command's file.
void RegisterCommand(Command command);
const std::vector<Command>& Commands();

struct CommandRegistrar {
    explicit CommandRegistrar(Command command) { RegisterCommand(std::move(command)); }
};

// Small helpers shared by the commands.
// Takes "--name VALUE" out of args; false with a message on err when VALUE is missing.
bool TakeOption(std::vector<std::string>& args, const std::string& name,
                std::optional<std::string>& value, std::ostream& err);
// Takes a flag "--name" out of args.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Parses a decimal or 0x-prefixed integer; false when it is not one.
bool ParseInt(const std::string& text, long& value);

}  // namespace framewise::cli
