// Helpers of the config tests: files written byte for byte, "Unicode" INI files from UTF-8 text.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace framewise::test {

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// UTF-8 text (ASCII and the BMP only) as UTF-16LE with BOM.
inline std::string Utf16(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        if (c < 0x80) {
            cp = c;
            i += 1;
        } else if (c < 0xE0) {
            cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            i += 2;
        } else {
            cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            i += 3;
        }
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>(cp >> 8);
    }
    return out;
}

inline void WriteUnicodeIni(const std::filesystem::path& p, const std::string& utf8) {
    WriteBytes(p, Utf16(utf8));
}

}  // namespace framewise::test
