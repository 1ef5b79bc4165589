// The program's command line: --simulate IMAGE, --work-root DIR, --help, --version.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace framewise {

struct AppOptions {
    std::optional<std::filesystem::path> simulateImage;
    std::optional<std::filesystem::path> workRoot;
    bool help = false;
    bool version = false;
    std::string error;  // a usage error, for the user
    // Not an option: where the shipped configuration files are (empty: found as usual).
    std::filesystem::path dataFolder;
};

// args without the program name. --help and --version win over everything after them.
AppOptions ParseAppOptions(const std::vector<std::string>& args);
std::string AppUsage();

// Exit codes.
inline constexpr int kAppExitOk = 0;
inline constexpr int kAppExitFailure = 1;
inline constexpr int kAppExitUsage = 2;

}  // namespace framewise
