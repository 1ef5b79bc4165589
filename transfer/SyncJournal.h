// The note a write to the frame leaves beside the frame's backups while the frame's album may
// not be whole: written and synced to disk before the first erase, removed once the index block
// has been verified. One found at the next attach means the write was cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "transfer/DeviceInfo.h"

namespace framewise {

// Which write left the journal.
enum class JournalKind { Synchronize, Restore };

struct SyncJournal {
    JournalKind kind = JournalKind::Synchronize;
    // What to put back into the frame: the backup taken before the synchronize, or the file a
    // restore was writing. Empty when no backup could be taken.
    std::filesystem::path backup;
    // BlockHash of the index's 64 KB block as the write leaves it: a frame found holding
    // exactly that got its whole album (the index block is written last).
    std::optional<uint64_t> writtenIndex;
};

// A 64-bit hash (FNV-1a) of a flash range, to know a block again.
uint64_t BlockHash(const uint8_t* data, size_t length);

// root/<frame id>/unfinished-write.journal
std::filesystem::path SyncJournalPath(const std::filesystem::path& root, const DeviceInfo& info);

// Writes the journal in full (a side file synced and renamed, then the folder synced), so that
// it is on the disk before the frame is touched. False with a reason otherwise.
bool WriteSyncJournal(const std::filesystem::path& root, const DeviceInfo& info,
                      const SyncJournal& journal, std::string& error);

// The journal of this frame, if one was left behind. A journal that cannot be made sense of
// still means an unfinished write: it comes back without a backup.
std::optional<SyncJournal> ReadSyncJournal(const std::filesystem::path& root,
                                           const DeviceInfo& info);

// Removes the journal (the folder synced after); true when none is left.
bool RemoveSyncJournal(const std::filesystem::path& root, const DeviceInfo& info);

}  // namespace framewise
