// The profile (INI) reader and writer over arbitrary files, in both encodings the program
// reads: the first byte chooses whether the rest is the file as it stands, or its text saved
// as UTF-16LE with a byte-order mark, or as UTF-8 with one. Then a key is written and read
// back: the value read is the value written, the file keeps its encoding, and every other
// key reads as it did before.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "config/ProfileFile.h"

using namespace framewise;

namespace {

// Text from UTF-8 to UTF-16LE code units (bytes that are no UTF-8 pass as themselves).
std::string ToUtf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra && i + extra < text.size()) {
            cp = c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        } else {
            extra = 0;
        }
        i += 1 + extra;
        auto put = [&out](char32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>((u >> 8) & 0xFF);
        };
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp & 0xFFFF);
        }
    }
    return out;
}

const std::vector<std::pair<std::string, std::string>> kQueries = {
    {"info", "JpgQuality"},
    {"info", "LangIndex"},
    {"Language", "Lan_1"},
    {"Language", "Lan_2"},
    {"English", "IDC_BUTTON_SAVE"},
    {"LCD", "Width"},
    {"", ""},
    {"info", "Titlename"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes;
    switch (data[0] % 3) {
        case 0:
            bytes = text;
            break;
        case 1:
            bytes = ToUtf16(text);
            break;
        default:
            bytes = "\xEF\xBB\xBF" + text;
            break;
    }
    const std::filesystem::path file = fuzz::Scratch() / "profile.ini";
    fuzz::WriteBytes(file, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());

    std::vector<std::string> before;
    for (const auto& [section, key] : kQueries) {
        before.push_back(ReadProfileString(file, section, key, "?"));
        FUZZ_CHECK(before.back().size() <= 4 * kProfileValueLimit);
        ReadProfileInt(file, section, key, -1);
    }

    // The value written: printable ASCII from the input, without the spaces and quotes that
    // the reader takes off a value's ends.
    std::string value;
    for (size_t i = 1; i < size && value.size() < 300; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c > ' ' && c < 127 && c != '"') value += c;
    }
    FUZZ_CHECK(WriteProfileString(file, "info", "LangIndex", value));
    const std::string expected = value.substr(0, kProfileValueLimit);
    FUZZ_CHECK(ReadProfileString(file, "info", "LangIndex", "?") == expected);

    const std::string written = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    // An empty file has no encoding of its own yet and becomes a UTF-16 one.
    const bool wasUtf16 = bytes.empty() || bytes.compare(0, 2, "\xFF\xFE") == 0;
    FUZZ_CHECK(wasUtf16 == (written.compare(0, 2, "\xFF\xFE") == 0));
    if (!wasUtf16 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        FUZZ_CHECK(written.compare(0, 3, "\xEF\xBB\xBF") == 0);

    for (size_t q = 0; q < kQueries.size(); ++q) {
        const auto& [section, key] = kQueries[q];
        if (section == "info" && key == "LangIndex") continue;
        FUZZ_CHECK(ReadProfileString(file, section, key, "?") == before[q]);
    }
    return 0;
}
