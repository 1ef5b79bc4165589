// What the fuzz targets share: a private scratch folder for the files a parser is handed,
// writing bytes to a file, and a check that stops the run loudly when an invariant breaks.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace framewise::fuzz {

// The run's scratch folder, made once (in memory-backed /dev/shm where there is one, since
// the parsers are handed files thousands of times a second) and removed at exit.
inline const std::filesystem::path& Scratch() {
    static const std::filesystem::path folder = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "framewise-fuzz-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        if (!made) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::filesystem::path path(made);
        static const std::filesystem::path removed = path;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removed, ignored);
        });
        return path;
    }();
    return folder;
}

inline void WriteBytes(const std::filesystem::path& file, const uint8_t* data, size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// An invariant of the parser under test; a broken one is a finding like a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

}  // namespace framewise::fuzz
