// The program's command line: --simulate IMAGE, --sim-fault KIND@N, --work-root DIR, --help,
// --version.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/SimulatedFrame.h"

namespace framewise {

struct AppOptions {
    std::optional<std::filesystem::path> simulateImage;
    std::optional<std::filesystem::path> workRoot;
    // Faults armed on the simulated frame (a testing aid): the kind and the command it hits.
    std::vector<std::pair<SimFault, uint64_t>> simFaults;
    // The pace the simulated frame answers at (a testing aid): none given, at once.
    std::optional<SimulatedFrame::LinkModel> simLink;
    bool help = false;
    bool version = false;
    std::string error;  // a usage error, for the user
    // Not options: where the shipped configuration files are (empty: found as usual), and
    // where the backups before a synchronize go (unset: the user's data folder).
    std::filesystem::path dataFolder;
    std::optional<std::filesystem::path> backupRoot;
};

// args without the program name. --help and --version win over everything after them.
AppOptions ParseAppOptions(const std::vector<std::string>& args);
std::string AppUsage();

// Exit codes.
inline constexpr int kAppExitOk = 0;
inline constexpr int kAppExitFailure = 1;
inline constexpr int kAppExitUsage = 2;

}  // namespace framewise
