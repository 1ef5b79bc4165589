// The way back for a frame whose album may not be whole: at each attach it looks for the
// journal of a write cut short, or (when backups of the frame exist) an index block that cannot
// be read or lacks its mark; it says so, offers the backup to put back, and restores it on Yes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "transfer/FlashBackup.h"
#include "transfer/SyncJournal.h"

namespace framewise {

class DeviceConnection;

struct RecoveryOffer {
    enum class Reason {
        UnfinishedSynchronize,  // a synchronize's journal was left behind
        UnfinishedRestore,      // a restore's journal was left behind
        IndexUnreadable,        // the index block never matched its verify value
        IndexUnmarked,          // the index block lacks its "TQFS" mark
    };
    Reason reason = Reason::UnfinishedSynchronize;
    // The backup to put back; empty when there is none.
    std::filesystem::path backup;
    // The backup is the one the journal names (else the newest of the frame's backups).
    bool named = false;
};

enum class RecoveryOutcome {
    None,      // nothing to offer
    Told,      // said what happened; there was no backup to offer
    Declined,  // the user answered No
    Restored,  // the backup is back in the frame
    Failed,    // the restore did not finish (said so; it will be offered again)
};

class FrameRecovery {
  public:
    FrameRecovery(DeviceConnection& connection, std::filesystem::path backupRoot);

    const std::filesystem::path& BackupRoot() const { return m_root; }

    // What the frame attached now calls for: its journal, unless the frame holds the album
    // the write left whole (its index block as the write made it, or the backup's album
    // untouched), when the journal goes; else, when backups of it with pictures exist, its
    // index block read from the frame, the newest such backup offered (a frame that does not
    // answer at all is left to the album read to report).
    std::optional<RecoveryOffer> Find();

    // The attach's part, run on the read's worker before the album is read: the finding said
    // as one Yes/No question through the Frontend (a message alone when there is no backup),
    // and the restore on Yes.
    RecoveryOutcome OfferAtAttach();
    // The offer OfferAtAttach made last (none before it ran).
    const std::optional<RecoveryOffer>& LastOffer() const { return m_lastOffer; }

    // RestoreFlash with a journal naming the file from the first block written until the last
    // is verified, so that a restore cut short is offered again; a restore that finishes (or
    // finds nothing to write) leaves no journal, as the frame is whole again.
    bool Restore(const std::filesystem::path& file, std::string& error,
                 RestoreResult* result = nullptr);

    // The question for an offer, in the current language's form.
    std::string OfferText(const RecoveryOffer& offer) const;

  private:
    bool WriteLeftFrameWhole(const SyncJournal& journal);
    std::string BackupDescription(const std::filesystem::path& backup) const;

    DeviceConnection& m_connection;
    std::filesystem::path m_root;
    std::optional<RecoveryOffer> m_lastOffer;
};

}  // namespace framewise
