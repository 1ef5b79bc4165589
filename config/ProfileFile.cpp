#include "config/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

namespace framewise {

namespace {

enum class Encoding { Utf16Le, Utf8Bom, Utf8 };

struct ParsedFile {
    Encoding encoding = Encoding::Utf16Le;
    std::vector<std::string> lines;  // UTF-8, without line ends
    bool crlf = true;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf16LeToUtf8(const std::string& bytes, size_t start) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        char32_t u =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            char32_t lo = static_cast<unsigned char>(bytes[i + 2]) |
                          (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, u);
    }
    return out;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed bytes decode as U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return cp;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

// Compared in place: every text the program shows looks its key up line by line.
bool SameName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return true;
}

ParsedFile Parse(const std::string& bytes) {
    ParsedFile parsed;
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        parsed.encoding = Encoding::Utf16Le;
        text = Utf16LeToUtf8(bytes, 2);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        parsed.encoding = Encoding::Utf8Bom;
        text = bytes.substr(3);
    } else {
        parsed.encoding = Encoding::Utf8;
        text = bytes;
    }
    parsed.crlf = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (nl == std::string::npos) {
            if (!line.empty()) parsed.lines.push_back(line);
            break;
        }
        parsed.lines.push_back(line);
        pos = nl + 1;
    }
    return parsed;
}

// Parsed files are cached by path: the language file is read for every text the program shows,
// often from a worker thread. The cache is checked against the file's bytes (not its time stamp,
// whose granularity lets two quick same-sized rewrites look alike); reading a small file is cheap,
// parsing it again is what the cache saves.
struct CacheEntry {
    std::string bytes;
    std::shared_ptr<const ParsedFile> parsed;
};
std::mutex g_cacheMutex;
std::map<std::string, CacheEntry> g_cache;
// Serialises read-modify-write cycles, so that two threads writing keys of the same file
// never lose one another's change.
std::mutex g_writeMutex;

std::shared_ptr<const ParsedFile> Load(const std::filesystem::path& file) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) return nullptr;
    std::lock_guard lock(g_cacheMutex);
    auto it = g_cache.find(file.string());
    if (it != g_cache.end() && it->second.bytes == bytes) return it->second.parsed;
    auto parsed = std::make_shared<const ParsedFile>(Parse(bytes));
    g_cache[file.string()] = CacheEntry{std::move(bytes), parsed};
    return parsed;
}

void Forget(const std::filesystem::path& file) {
    std::lock_guard lock(g_cacheMutex);
    g_cache.erase(file.string());
}

bool IsSectionLine(std::string_view line, std::string& name) {
    auto t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return false;
    name = std::string(t.substr(1, close - 1));
    return true;
}

bool IsKeyLine(std::string_view line, std::string_view key, std::string_view* value) {
    auto t = Trim(line);
    if (t.empty() || t.front() == ';') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    if (!SameName(t.substr(0, eq), key)) return false;
    if (value) *value = Trim(t.substr(eq + 1));
    return true;
}

std::string CutValue(std::string_view value) {
    // Surrounding double quotes are not part of the value.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    size_t count = 0;
    for (size_t i = 0; i < value.size();) {
        size_t start = i;
        NextCodePoint(value, i);
        if (++count > kProfileValueLimit) return std::string(value.substr(0, start));
    }
    return std::string(value);
}

bool FindValue(const ParsedFile& parsed, std::string_view section, std::string_view key,
               std::string& value) {
    bool inSection = false;
    for (const auto& line : parsed.lines) {
        std::string name;
        if (IsSectionLine(line, name)) {
            inSection = SameName(name, section);
            continue;
        }
        std::string_view v;
        if (inSection && IsKeyLine(line, key, &v)) {
            value = CutValue(v);
            return true;
        }
    }
    return false;
}

bool WriteAtomically(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::path tmp = file;
    tmp += ".tmp-" + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), file.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
    auto parsed = Load(file);
    std::string value;
    if (parsed && FindValue(*parsed, section, key, value)) return value;
    return CutValue(defaultValue);
}

int ReadProfileInt(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, int defaultValue) {
    auto parsed = Load(file);
    std::string value;
    // An empty value counts as missing, as with the platform's integer reader.
    if (!parsed || !FindValue(*parsed, section, key, value) || value.empty()) return defaultValue;
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > 0x7FFFFFFF) {
            n = 0x7FFFFFFF;  // out-of-range numbers saturate instead of wrapping
            break;
        }
    }
    return static_cast<int>(negative ? -n : n);
}

bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
    // A line break in a value would plant keys of its own in the file: the value ends there.
    value = value.substr(0, value.find_first_of("\r\n"));
    if (Trim(key).empty() || key.find_first_of("\r\n=") != std::string_view::npos ||
        section.find_first_of("\r\n]") != std::string_view::npos)
        return false;
    std::lock_guard writeLock(g_writeMutex);
    ParsedFile parsed;
    std::string bytes;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        if (!ReadWholeFile(file, bytes)) return false;
        // An empty file has no encoding of its own yet: it becomes a "Unicode" file.
        if (!bytes.empty()) parsed = Parse(bytes);
    }
    std::string newLine = std::string(Trim(key)) + "=" + std::string(value);
    bool inSection = false, done = false;
    long sectionEnd = -1;  // index after the last line of the section
    for (size_t i = 0; i < parsed.lines.size() && !done; ++i) {
        std::string name;
        if (IsSectionLine(parsed.lines[i], name)) {
            if (inSection) break;
            inSection = SameName(name, section);
            if (inSection) sectionEnd = static_cast<long>(i) + 1;
            continue;
        }
        if (!inSection) continue;
        if (IsKeyLine(parsed.lines[i], key, nullptr)) {
            parsed.lines[i] = newLine;
            done = true;
        } else if (!Trim(parsed.lines[i]).empty()) {
            sectionEnd = static_cast<long>(i) + 1;
        }
    }
    if (!done) {
        if (sectionEnd >= 0) {
            parsed.lines.insert(parsed.lines.begin() + sectionEnd, newLine);
        } else {
            parsed.lines.push_back("[" + std::string(Trim(section)) + "]");
            parsed.lines.push_back(newLine);
        }
    }
    std::string text;
    for (const auto& line : parsed.lines) text += line + (parsed.crlf ? "\r\n" : "\n");
    std::string out;
    switch (parsed.encoding) {
        case Encoding::Utf16Le:
            out = "\xFF\xFE" + Utf8ToUtf16Le(text);
            break;
        case Encoding::Utf8Bom:
            out = "\xEF\xBB\xBF" + text;
            break;
        case Encoding::Utf8:
            out = text;
            break;
    }
    Forget(file);
    return WriteAtomically(file, out);
}

bool CopyProfileFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::string bytes;
    if (!ReadWholeFile(from, bytes)) return false;
    std::lock_guard writeLock(g_writeMutex);
    Forget(to);
    if (!WriteAtomically(to, bytes)) return false;
    std::error_code ec;
    std::filesystem::permissions(
        to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
        std::filesystem::perm_options::add, ec);
    return true;
}

}  // namespace framewise
