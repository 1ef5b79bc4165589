// framewise-cli run as the user runs it against a simulated frame image: the exit code, what
// it wrote on standard output and, when kept, on standard error. Needs FRAMEWISE_CLI.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace framewise::test {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

// framewise-cli --simulate image --work-root work args, with stdin from /dev/null. env (shell
// assignments) goes in front of the command; stderr goes to errFile and is read back, or to
// /dev/null when errFile is empty. Without an XDG_DATA_HOME of its own in env, the run keeps
// its backups and journals in "xdg-data" beside the work folder, never in the user's.
inline CliRun RunFrameCli(const std::filesystem::path& image, const std::filesystem::path& work,
                          const std::string& args, const std::filesystem::path& errFile = {},
                          std::string env = {}) {
    if (env.find("XDG_DATA_HOME=") == std::string::npos)
        env += (env.empty() ? "" : " ") + std::string("XDG_DATA_HOME='") +
               (work.parent_path() / "xdg-data").string() + "'";
    const std::string errTarget = errFile.empty() ? "/dev/null" : errFile.string();
    const std::string command = env + (env.empty() ? "'" : " '") + FRAMEWISE_CLI +
                                "' --simulate '" + image.string() + "' --work-root '" +
                                work.string() + "' " + args + " 2>'" + errTarget + "' </dev/null";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!errFile.empty()) {
        std::ifstream err(errFile, std::ios::binary);
        run.err.assign(std::istreambuf_iterator<char>(err), {});
    }
    return run;
}

}  // namespace framewise::test
