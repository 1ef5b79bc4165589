// Which files of a folder the folder picture list shows, and the folder paths the browser
// builds file paths from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace framewise {

// The suffix rule: the lower-cased last four characters are ".bmp", ".jpg", "jpeg" or ".gif"
// (a name of four characters or fewer is compared whole), or the name ends in ".dpf" in any
// case, the device picture files the preview loads.
bool IsFolderPictureName(std::string_view name);

// The folder's picture files, names as found, in the order a file manager lists them (case
// ignored, then case). Hidden files, folders and unreadable folders give nothing.
std::vector<std::string> ListFolderPictures(const std::string& folder);

// The folder part of every folder-picture path: the folder with exactly one "/" after it.
std::string FolderPrefix(const std::string& folder);

}  // namespace framewise
