#include "browser/FolderPictureNames.h"

#include <QDir>
#include <QString>
#include <array>

namespace framewise {

bool IsFolderPictureName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    const std::string_view tail =
        lower.size() > 4 ? std::string_view(lower).substr(lower.size() - 4) : lower;
    constexpr std::array<std::string_view, 5> kTails = {".bmp", ".jpg", "jpeg", ".gif", ".dpf"};
    for (std::string_view t : kTails)
        if (tail == t) return true;
    return false;
}

std::vector<std::string> ListFolderPictures(const std::string& folder) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    const QDir dir(QString::fromStdString(folder));
    // Files only, hidden ones left out; named as a file manager sorts them.
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        std::string name = entry.toStdString();
        if (IsFolderPictureName(name)) names.push_back(std::move(name));
    }
    return names;
}

std::string FolderPrefix(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

}  // namespace framewise
