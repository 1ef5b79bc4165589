// Synchronize: writes the album as the flash model holds it back into the frame, the blocks
// of new or moved pictures first and the index block last, every block verified.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "transfer/AlbumSink.h"
#include "transfer/DeviceConnection.h"

namespace framewise {

class TransferWorker;

class Synchronizer {
  public:
    Synchronizer(DeviceConnection& connection, AlbumSink& sink);

    // Where the backup before writing and the journal of the write go (the user's data
    // folder when unset).
    void SetBackupRoot(std::filesystem::path root) { m_backupRoot = std::move(root); }
    std::filesystem::path BackupRoot() const;

    // The command's guards: ready, no batch add running, the album modified, and the album
    // read whole from the frame attached now (a part of it must never replace the frame's).
    bool CanSynchronize() const;
    // The Synchronize command: when the guards allow, disables the controls and starts the
    // worker. False when nothing was started; a read-only album (AlbumWritable.h) is refused
    // with its message, before anything is sent to the frame.
    bool Command(TransferWorker& worker);

    // The whole write; true when the index was written (the whole album, or the part before a
    // stop asked for by m_bQuitPending). Before the first erase, what the frame holds of its
    // album is read back and saved as a backup, and a journal naming it is left beside the
    // backups until the index block has been verified (see FrameRecovery); while the journal
    // of an earlier write cut short is there, it stays, naming the backup from before that. Ends
    // with exactly one event: "FinishThread" when written with the frame still attached, else
    // "TransferFailed" (kTransferSynchronize). After a failure the window is usable again, the
    // album and the model are unchanged and a new synchronize rewrites what is needed. A frame that
    // goes away (m_bAttached cleared) stops it before the next picture.
    bool Synchronize();

  private:
    bool Write();
    bool RefuseReadOnly();
    bool WriteBlocks(const std::vector<uint32_t>& blocks);
    bool BackupBeforeWrite(int n);
    void Failed(int n);

    DeviceConnection& m_connection;
    AlbumSink& m_sink;
    std::optional<std::filesystem::path> m_backupRoot;
};

}  // namespace framewise
