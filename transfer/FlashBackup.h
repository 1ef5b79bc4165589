// Flash image files of a frame: the automatic backup before a synchronize writes (one folder
// per frame in the user's data folder, the last five kept), and whole-flash backup and restore.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "transfer/DeviceInfo.h"

namespace framewise {

class DeviceConnection;

inline constexpr int kBackupsKept = 5;

// $XDG_DATA_HOME/framewise/backups, else ~/.local/share/framewise/backups.
std::filesystem::path DefaultBackupRoot();

// Names a frame by what its flash header says about it: LCD size, flash size and a hash of
// the whole header, e.g. "128x128-2048KB-1a2b3c4d".
std::string FrameId(const DeviceInfo& info);

// Saves a flash-sized image (the header put at address 0) as
// root/<frame id>/<UTC timestamp>-<nn>.img and removes all but the newest `keep` there.
bool SaveFlashBackup(const std::filesystem::path& root, const DeviceInfo& info,
                     const std::vector<uint8_t>& image, std::filesystem::path& saved,
                     std::string& error, int keep = kBackupsKept);

// The backups of this frame under root, oldest first.
std::vector<std::filesystem::path> ListFlashBackups(const std::filesystem::path& root,
                                                    const DeviceInfo& info);

// Reads the whole flash, every 64 KB part verified, into file (written whole or not at all).
// Progress goes to the connection's progress bar.
bool BackupWholeFlash(DeviceConnection& connection, const std::filesystem::path& file,
                      std::string& error);

// Writes a flash image file of this frame back: the picture area and the index block (last),
// never the header or the protected area, every block verified. Refuses a file of another
// size or with another frame's header. The model no longer matches the frame afterwards:
// attach again to read it.
bool RestoreFlash(DeviceConnection& connection, const std::filesystem::path& file,
                  std::string& error);

}  // namespace framewise
