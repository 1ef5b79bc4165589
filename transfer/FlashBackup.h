// Flash image files of a frame: the backup before a synchronize writes (one folder per frame in
// the user's data folder, the last five kept), whole-flash backups, and the restore that puts
// a backup's album back, block by block where the frame differs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
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
// root/<frame id>/<UTC timestamp>-<nn>.img, synced to disk, and removes all but the newest
// `keep` there; the backup an unfinished write's journal names is always kept besides.
bool SaveFlashBackup(const std::filesystem::path& root, const DeviceInfo& info,
                     const std::vector<uint8_t>& image, std::filesystem::path& saved,
                     std::string& error, int keep = kBackupsKept);

// The backups of this frame under root, oldest first.
std::vector<std::filesystem::path> ListFlashBackups(const std::filesystem::path& root,
                                                    const DeviceInfo& info);

// A picture as an index block lists it.
struct ListedPicture {
    uint32_t address = 0;
    uint32_t length = 0;
};
// The pictures the index block at the frame's index address of a flash-sized image lists, by
// the album read's rules (flag 1, an address inside the picture area, the whole picture inside
// the flash); none without the "TQFS" mark.
std::vector<ListedPicture> ListedPictures(const std::vector<uint8_t>& image,
                                          const DeviceInfo& info);
// The same for an index block alone (kIndexBlockSize bytes), within the frame's flash size.
std::vector<ListedPicture> ListedPictures(const uint8_t* indexBlock, const DeviceInfo& info);

// The 64 KB blocks where the album of a flash-sized image lives, ascending: the index's block
// and every block a listed picture touches.
std::vector<uint32_t> AlbumBlocks(const std::vector<uint8_t>& image, const DeviceInfo& info);

// How far the album area of a frame whose index block is indexBlock reaches: past the last
// picture it lists, or past the index's block, in whole 64 KB blocks within the flash.
uint32_t AlbumAreaEnd(const uint8_t* indexBlock, const DeviceInfo& info);

// What a synchronize may change of the album the frame holds now, exact: the index's block
// and the used picture area up to the end of the last picture the frame's own index lists, in
// whole 64 KB blocks, each read back from the frame and verified, or taken from what the
// connection has read or written verified since the attach (DeviceConnection::ReadKnown). The
// result is flash-sized: the header at address 0, 0x00 up to the index address and 0xFF
// (erased) past what was read.
bool ReadAlbumArea(DeviceConnection& connection, std::vector<uint8_t>& image, std::string& error);

// Reads the whole flash, every 64 KB part verified, into file (written whole or not at all).
// Progress goes to the connection's progress bar.
bool BackupWholeFlash(DeviceConnection& connection, const std::filesystem::path& file,
                      std::string& error);

// Whether the frame holds the album of a backup file of it as the file has it: every block
// where the file's album lives read back verified and equal.
bool FrameHoldsAlbumOf(DeviceConnection& connection, const std::filesystem::path& file);

// A backup file of the attached frame, read whole; false with a reason when the file is of
// another size or another frame's.
bool LoadFlashBackup(DeviceConnection& connection, const std::filesystem::path& file,
                     std::vector<uint8_t>& image, std::string& error);
// The blocks a restore of image looks at, in its order: the album's picture blocks, the
// index's block last.
std::vector<uint32_t> RestoreBlockOrder(const std::vector<uint8_t>& image, const DeviceInfo& info);
// Whether the frame holds the block at address as image has it, read back verified (into held).
bool FrameHoldsBlock(DeviceConnection& connection, const std::vector<uint8_t>& image,
                     uint32_t address, std::vector<uint8_t>& held);

struct RestoreResult {
    int blocksCompared = 0;  // the album blocks of the backup read back from the frame
    int blocksWritten = 0;   // those that differed and were written
};

// Puts the album of a flash image file of this frame back: each block where the file's album
// lives (AlbumBlocks) is read from the frame, verified, and written (erased, programmed,
// verified) only when it differs, the index block last. Free flash and everything below the
// index address stay as they are. Refuses a file of another size or with another frame's
// header. beforeFirstWrite, when set, runs once just before the first block is written; its
// false stops the restore with its reason, nothing written. The model no longer matches the
// frame afterwards: read the album again.
using BeforeFirstWrite = std::function<bool(std::string& error)>;
bool RestoreFlash(DeviceConnection& connection, const std::filesystem::path& file,
                  std::string& error, RestoreResult* result = nullptr,
                  const BeforeFirstWrite& beforeFirstWrite = {});

}  // namespace framewise
