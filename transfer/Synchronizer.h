// Synchronize: writes the album as the flash model holds it back into the frame, the blocks
// of new or moved pictures first and the index block last, every block verified.
#pragma once

#include <filesystem>
#include <optional>

#include "transfer/AlbumSink.h"
#include "transfer/DeviceConnection.h"

namespace framewise {

class TransferWorker;

class Synchronizer {
  public:
    Synchronizer(DeviceConnection& connection, AlbumSink& sink);

    // Where the backup before writing goes (the user's data folder when unset).
    void SetBackupRoot(std::filesystem::path root) { m_backupRoot = std::move(root); }

    // The command's guards: ready, no batch add running, the album modified.
    bool CanSynchronize() const;
    // The Synchronize command: when the guards allow, disables the controls and starts the
    // worker. False when nothing was started.
    bool Command(TransferWorker& worker);

    // The whole write; true on success. After a failure the window is usable again, the
    // album and the model are unchanged and a new synchronize rewrites what is needed.
    bool Synchronize();

  private:
    bool WritePictureBlocks(int i);
    bool BackupBeforeWrite();
    void Failed(int n);

    DeviceConnection& m_connection;
    AlbumSink& m_sink;
    std::optional<std::filesystem::path> m_backupRoot;
};

}  // namespace framewise
