// Which dropped files and folders go into the add queue: the first 125 dropped items; a file
// by the end of its name, a dropped folder's files (not its subfolders) by their names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace framewise {

inline constexpr int kMaxDroppedItems = 125;

// A dropped file: its last five characters, lower-cased, contain ".jpg", ".bmp", ".jpeg" or
// ".gif".
bool IsDroppedPictureFile(std::string_view path);

// A file of a dropped folder: its lower-cased name contains one of them anywhere.
bool IsDroppedFolderPicture(std::string_view name);

// ScanDroppedFolder: the folder's picture files as folder/name, names as found, in name
// order. Subfolders are not entered; a folder that cannot be listed gives nothing.
std::vector<std::string> ScanDroppedFolder(const std::string& folder);

// The add queue for the dropped items: only the first 125 items are looked at; each path is
// used as given (only the comparison is lower-cased).
std::vector<std::string> QueueDroppedItems(const std::vector<std::string>& items);

}  // namespace framewise
