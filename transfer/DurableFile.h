// Files that must be whole on the disk before the frame is touched (backups, the journal):
// written to a side file, synced, renamed into place, and the folder synced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace framewise {

// A file of the name is always complete: either the old one, or all of data. False with a
// reason (the side file removed) when the bytes cannot be written or synced.
bool WriteFileDurably(const std::filesystem::path& file, const uint8_t* data, size_t length,
                      std::string& error);

// Makes a rename or removal in folder last on the disk; false when the folder cannot be synced.
bool SyncFolder(const std::filesystem::path& folder);

}  // namespace framewise
