// What a write will do to the frame, told before anything is erased: the 64 KB blocks it
// erases and programs (and the pictures each holds), the pictures a repack has moved, the
// bytes sent and read, and the time at the link's measured speed. A synchronize's plan comes
// from the same block choice the synchronize executes (ChooseSyncBlocks).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/LinkMeter.h"

namespace framewise {

class DeviceConnection;

struct PlannedBlock {
    uint32_t address = 0;
    uint32_t length = 0;        // bytes programmed
    bool erase = false;         // erased first (the block starts on a 64 KB boundary)
    bool index = false;         // the index's block
    std::vector<int> pictures;  // album numbers (1 = 0001) of the pictures it holds afterwards
};

struct WritePlan {
    enum class Kind { Synchronize, Restore };
    Kind kind = Kind::Synchronize;
    // Blocks in the order written; the index's block is last.
    std::vector<PlannedBlock> blocks;
    std::vector<int> added;  // album numbers of the pictures added since the last write
    std::vector<int> moved;  // album numbers of the pictures a repack moved on the frame
    int pictures = 0;        // the album's pictures once written
    // Read from the frame first: a synchronize's backup of what it holds (the parts this
    // connection has not read or written verified already), a restore's comparison of every
    // block of the backup's album with the frame.
    int blocksRead = 0;
    uint64_t bytesRead = 0;
    uint64_t bytesSent = 0;  // data programmed
    LinkWork work;           // every command, as sent when nothing fails
    double seconds = 0;      // estimated, at the link's speed
    bool speedMeasured = false;
    // A restore's plan is made by reading the frame (which blocks differ); a synchronize's
    // from what the program knows.
    bool readFrame = false;
    // A backup is taken before a synchronize writes (none while an earlier write's journal
    // names the way back already).
    bool backup = false;

    // Blocks erased and programmed.
    int BlocksWritten() const { return static_cast<int>(blocks.size()); }
};

// The plan of synchronizing the first albumCount pictures now: the block choice of the
// synchronize itself, the index's block last, and the backup it reads first (backupRoot: where
// the synchronize keeps its journal). Nothing is sent to the frame.
WritePlan PlanSynchronize(DeviceConnection& connection, int albumCount,
                          const std::filesystem::path& backupRoot);

// The plan of restoring the backup file: each block of its album read from the frame (verified)
// and compared, as the restore compares it; the blocks that differ are the ones written. False
// with a reason for a file that cannot be restored into this frame, or a frame that cannot be
// read; nothing is written either way.
bool PlanRestore(DeviceConnection& connection, const std::filesystem::path& file, WritePlan& plan,
                 std::string& error);

}  // namespace framewise
