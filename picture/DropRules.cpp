#include "picture/DropRules.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace framewise {
namespace {

constexpr std::array<std::string_view, 4> kPictureMarks = {".jpg", ".bmp", ".jpeg", ".gif"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return lower;
}

bool ContainsMark(std::string_view lower) {
    return std::any_of(kPictureMarks.begin(), kPictureMarks.end(),
                       [&](std::string_view mark) { return lower.find(mark) != lower.npos; });
}

}  // namespace

bool IsDroppedPictureFile(std::string_view path) {
    const std::string_view tail = path.size() > 5 ? path.substr(path.size() - 5) : path;
    return ContainsMark(Lower(tail));
}

bool IsDroppedFolderPicture(std::string_view name) {
    return ContainsMark(Lower(name));
}

std::vector<std::string> ScanDroppedFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) continue;
        const std::string name = it->path().filename().string();
        if (IsDroppedFolderPicture(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
        paths.push_back((std::filesystem::path(folder) / name).string());
    return paths;
}

std::vector<std::string> QueueDroppedItems(const std::vector<std::string>& items) {
    std::vector<std::string> queue;
    const std::size_t count = std::min<std::size_t>(items.size(), kMaxDroppedItems);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& item = items[i];
        std::error_code ec;
        if (std::filesystem::is_directory(item, ec)) {
            for (std::string& path : ScanDroppedFolder(item)) queue.push_back(std::move(path));
        } else if (IsDroppedPictureFile(item)) {
            queue.push_back(item);
        }
    }
    return queue;
}

}  // namespace framewise
