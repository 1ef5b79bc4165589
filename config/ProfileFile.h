// Private-profile (INI) files with the Win32 rules the settings rely on: case-insensitive
// section and key names, trimmed names and values, 254-character values, defaults for anything missing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace framewise {

// Values longer than this many characters are cut (a 255-character buffer with its terminator).
inline constexpr size_t kProfileValueLimit = 254;

// Reads [section] key from file; the default when the file, the section or the key is missing.
// Texts are UTF-8 in memory; files are UTF-16LE with BOM, or UTF-8 with or without BOM.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// Reads an integer: the default when the key is missing or empty; the leading decimal number of the
// value otherwise (0 when the value does not start with one).
int ReadProfileInt(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, int defaultValue);

// Writes [section] key=value, keeping the file's encoding and every other line; a missing file
// is created as UTF-16LE with BOM. The file is replaced atomically (temporary file, then rename).
bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

// Copies a shipped file over a working copy (replacing it) and makes the copy writable.
// Answers false, silently, when the source is missing or the copy fails.
bool CopyProfileFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace framewise
