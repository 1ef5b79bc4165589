#include "album/AlbumFolder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace framewise {

namespace fs = std::filesystem;

namespace {

// A folder path without a trailing separator, so that parent paths compare equal to it.
fs::path Normalised(const fs::path& p) {
    fs::path n = p.lexically_normal();
    if (n.has_parent_path() && !n.has_filename()) n = n.parent_path();
    return n;
}

bool HasBmpExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bmp";
}

bool StartsWithBM(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char magic[2] = {0, 0};
    in.read(magic, 2);
    return in.gcount() == 2 && magic[0] == 'B' && magic[1] == 'M';
}

}  // namespace

void AlbumFolder::SetPath(fs::path folder) {
    std::lock_guard lock(m_mutex);
    m_folder = std::move(folder);
}

fs::path AlbumFolder::Path() const {
    std::lock_guard lock(m_mutex);
    return m_folder;
}

std::string AlbumFolder::FileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.bmp", number);
    return name;
}

int AlbumFolder::NumberOf(const std::string& name) {
    long value = 0;
    size_t i = 0;
    for (; i < name.size() && name[i] != '.'; ++i) {
        char c = name[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > 1000000) return 0;  // no album holds that many; not one of ours
    }
    return static_cast<int>(value);
}

fs::path AlbumFolder::FilePath(int number) const {
    return Path() / FileName(number);
}

fs::path AlbumFolder::PathOf(const std::string& name) const {
    return Path() / name;
}

bool AlbumFolder::IsAlbumFilePath(const fs::path& path) const {
    fs::path folder = Path();
    if (folder.empty() || !path.has_filename()) return false;
    return Normalised(path).parent_path() == Normalised(folder);
}

bool AlbumFolder::EnumerateAlbumFolder() {
    fs::path folder = Path();
    if (folder.empty()) return false;
    std::vector<std::string> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return false;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return false;
        std::string name = it->path().filename().string();
        if (!HasBmpExtension(name) || name.front() == '.') continue;
        // Links, folders and devices are not album pictures, whatever their name says.
        std::error_code sec;
        if (!fs::is_regular_file(it->symlink_status(sec)) || sec) continue;
        if (!StartsWithBM(it->path())) continue;
        found.push_back(std::move(name));
    }
    if (ec) return false;
    if (found.empty()) return false;
    // Ordinal order: zero-padded numbers sort numerically.
    std::sort(found.begin(), found.end());
    std::lock_guard lock(m_mutex);
    m_albumNames = std::move(found);
    return true;
}

void AlbumFolder::CompactAlbumNumbers() {
    std::vector<std::string> names = AlbumNames();
    if (names.empty()) return;
    const int high = NumberOf(names.back());
    int scan = NumberOf(names.front());
    std::error_code ec;
    for (int n = 1; n <= high; ++n) {
        const fs::path target = FilePath(n);
        if (fs::exists(target, ec)) continue;
        scan = std::max(scan, n);
        int m = scan;
        while (m <= high && !fs::exists(FilePath(m), ec)) ++m;
        if (m > high) return;
        fs::rename(FilePath(m), target, ec);
        // A failed rename ends the renumbering with the order intact; the list is rebuilt
        // from whatever the folder then holds.
        if (ec) return;
        {
            std::lock_guard lock(m_mutex);
            const size_t entry = static_cast<size_t>(n - 1);
            if (entry < m_sourcePaths.size()) {
                fs::path p(m_sourcePaths[entry]);
                // Only an entry that names a file of the album folder moves with the file;
                // a picture added from elsewhere keeps naming its origin.
                if (p.has_filename() && Normalised(p).parent_path() == Normalised(m_folder)) {
                    m_sourcePaths[entry] = target.string();
                }
            }
        }
        scan = m;
    }
}

bool AlbumFolder::SwapAlbumPictures(const fs::path& a, const fs::path& b) {
    if (a == b) return true;
    fs::path t = a;
    t += "_tmp";
    std::error_code ec;
    fs::rename(a, t, ec);
    if (ec) return false;
    fs::rename(b, a, ec);
    if (ec) {
        fs::rename(t, a, ec);
        return false;
    }
    fs::rename(t, b, ec);
    if (ec) {
        fs::rename(a, b, ec);
        fs::rename(t, a, ec);
        return false;
    }
    return true;
}

void AlbumFolder::Empty() {
    fs::path folder = Path();
    std::error_code ec;
    if (!folder.empty()) {
        std::vector<fs::path> doomed;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code sec;
            auto st = it->symlink_status(sec);
            if (sec || fs::is_directory(st)) continue;
            if (HasBmpExtension(it->path().filename().string())) doomed.push_back(it->path());
        }
        for (const auto& p : doomed) fs::remove(p, ec);
    }
    std::lock_guard lock(m_mutex);
    m_albumNames.clear();
    m_sourcePaths.clear();
}

std::vector<std::string> AlbumFolder::AlbumNames() const {
    std::lock_guard lock(m_mutex);
    return m_albumNames;
}

size_t AlbumFolder::AlbumNameCount() const {
    std::lock_guard lock(m_mutex);
    return m_albumNames.size();
}

void AlbumFolder::SetAlbumNames(std::vector<std::string> names) {
    std::lock_guard lock(m_mutex);
    m_albumNames = std::move(names);
}

void AlbumFolder::AppendAlbumName(std::string name) {
    std::lock_guard lock(m_mutex);
    m_albumNames.push_back(std::move(name));
}

void AlbumFolder::ClearAlbumNames() {
    std::lock_guard lock(m_mutex);
    m_albumNames.clear();
}

std::vector<std::string> AlbumFolder::SourcePathList() const {
    std::lock_guard lock(m_mutex);
    return m_sourcePaths;
}

size_t AlbumFolder::SourcePathCount() const {
    std::lock_guard lock(m_mutex);
    return m_sourcePaths.size();
}

std::optional<std::string> AlbumFolder::SourcePath(size_t index) const {
    std::lock_guard lock(m_mutex);
    if (index >= m_sourcePaths.size()) return std::nullopt;
    return m_sourcePaths[index];
}

void AlbumFolder::AppendSourcePath(std::string path) {
    std::lock_guard lock(m_mutex);
    m_sourcePaths.push_back(std::move(path));
}

bool AlbumFolder::SetSourcePath(size_t index, std::string path) {
    std::lock_guard lock(m_mutex);
    if (index >= m_sourcePaths.size()) return false;
    m_sourcePaths[index] = std::move(path);
    return true;
}

bool AlbumFolder::RemoveSourcePath(size_t index) {
    std::lock_guard lock(m_mutex);
    if (index >= m_sourcePaths.size()) return false;
    m_sourcePaths.erase(m_sourcePaths.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool AlbumFolder::SwapSourcePaths(size_t a, size_t b) {
    std::lock_guard lock(m_mutex);
    if (a >= m_sourcePaths.size() || b >= m_sourcePaths.size()) return false;
    std::swap(m_sourcePaths[a], m_sourcePaths[b]);
    return true;
}

void AlbumFolder::ClearSourcePaths() {
    std::lock_guard lock(m_mutex);
    m_sourcePaths.clear();
}

}  // namespace framewise
