#include "transfer/Synchronizer.h"

#include <algorithm>

#include "config/EventNames.h"
#include "transfer/AlbumWritable.h"
#include "transfer/FlashBackup.h"
#include "transfer/SyncJournal.h"
#include "transfer/SyncPlan.h"
#include "transfer/TransferWorker.h"

namespace framewise {

using namespace flash;

Synchronizer::Synchronizer(DeviceConnection& connection, AlbumSink& sink)
    : m_connection(connection), m_sink(sink) {}

bool Synchronizer::CanSynchronize() const {
    const AppState& state = m_connection.Context().state;
    return state.m_bReady && !state.m_bBatchAdding && state.m_bModified && state.m_bAlbumRead &&
           m_connection.IsConnected();
}

bool Synchronizer::RefuseReadOnly() {
    if (m_connection.AlbumWritable()) return false;
    TransferContext& ctx = m_connection.Context();
    ctx.frontend.ShowMessage(ReadOnlyAlbumText(ctx.language, m_connection.Info().indexAddress));
    return true;
}

bool Synchronizer::Command(TransferWorker& worker) {
    if (!CanSynchronize() || RefuseReadOnly()) return false;
    TransferContext& ctx = m_connection.Context();
    ctx.state.m_bReady = false;
    ctx.EnableControls(false);
    if (ctx.ProgressCtrlOff()) ctx.frontend.ShowProgress(true);
    if (!worker.Start([this] { Synchronize(); })) {
        ctx.state.m_bReady = true;
        ctx.EnableControls(true);
        return false;
    }
    return true;
}

std::filesystem::path Synchronizer::BackupRoot() const {
    return m_backupRoot ? *m_backupRoot : DefaultBackupRoot();
}

bool Synchronizer::BackupBeforeWrite(int n) {
    TransferContext& ctx = m_connection.Context();
    const DeviceInfo& info = m_connection.Info();
    FlashModel& model = m_connection.Model();
    const std::filesystem::path root = BackupRoot();
    // The index's block as this write will leave it, so that the next attach knows a frame
    // that got all of it.
    model.BuildIndex(n);
    const int ia = model.IndexAddress();
    const uint64_t written = BlockHash(
        model.PictureStore().data() + ia,
        static_cast<size_t>(std::min<int64_t>(kBlockSize, int64_t{model.FlashBytes()} - ia)));
    // After a write that never finished the frame is not whole: its journal already names the
    // way back, and a backup of the frame as it is now would be none.
    if (auto earlier = ReadSyncJournal(root, info)) {
        earlier->writtenIndex = written;
        std::string ignored;
        WriteSyncJournal(root, info, *earlier, ignored);
        return true;
    }
    ctx.frontend.SetStatusText(
        ctx.language.Pick("Backing up the frame's album......", "正在备份相框中的相册......"));
    // What the frame holds, exact: asked of the frame wherever this connection has not read
    // or written it verified already (the model's images hold the pictures alone).
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadAlbumArea(m_connection, image, error)) {
        // A frame that cannot be read now is not written either.
        ctx.frontend.ShowMessage(ctx.language.Pick(
            "The frame's album could not be read before writing (" + error +
                "); nothing was written to the frame.",
            "写入前无法读取相框中的相册 (" + error + "); 没有向相框写入任何数据。"));
        return false;
    }
    std::filesystem::path saved;
    // The way back if this write is cut short.
    if (SaveFlashBackup(root, info, image, saved, error) &&
        WriteSyncJournal(root, info, SyncJournal{JournalKind::Synchronize, saved, written}, error))
        return true;
    const std::string english =
        "The frame's album could not be backed up (" + error + "). Write to the frame anyway?";
    const std::string chinese = "无法备份相框中的相册 (" + error + ")。仍然写入相框吗?";
    if (!ctx.frontend.AskYesNo(ctx.language.Pick(english, chinese))) return false;
    // Without a backup a write cut short can still be told at the next attach.
    std::string ignored;
    WriteSyncJournal(root, info, SyncJournal{JournalKind::Synchronize, {}, written}, ignored);
    return true;
}

bool Synchronizer::WriteBlocks(const std::vector<uint32_t>& blocks) {
    TransferContext& ctx = m_connection.Context();
    FlashModel& model = m_connection.Model();
    const auto& store = model.PictureStore();
    for (uint32_t address : blocks) {
        // Flagged before writing: a block cut short may be left erased on the frame.
        model.BlockFlags()[address / kBlockSize] = 1;
        if (address < static_cast<uint32_t>(model.IndexAddress())) {
            ctx.frontend.ShowMessage(ctx.language.Tr(
                "WRITEINPROTECT_TIPS",
                "Download address wrong!It should not write in the protected address!"));
            return false;
        }
        const uint32_t length =
            std::min<uint32_t>(kBlockSize, static_cast<uint32_t>(model.FlashBytes()) - address);
        if (!m_connection.WriteBlockChecked(store.data() + address, length, address)) return false;
    }
    return true;
}

void Synchronizer::Failed(int n) {
    TransferContext& ctx = m_connection.Context();
    FlashModel& model = m_connection.Model();
    auto& flags = model.BlockFlags();
    // A block that was being written may now be erased on the frame: every picture touching
    // a block this run reached is written again by the next synchronize.
    for (int i = 0; i < n; ++i) {
        PictureRecord& record = model.Record(i);
        if (record.inUse != 1 || !model.InPictureArea(record.address, record.length)) continue;
        const int64_t first = record.address / kBlockSize;
        const int64_t last =
            record.length > 0 ? (int64_t{record.address} + record.length - 1) / kBlockSize : first;
        for (int64_t block = first; block <= last; ++block)
            if (flags[static_cast<size_t>(block)]) record.state = kStateToWrite;
    }
    std::fill(flags.begin(), flags.end(), 0);
    ctx.state.m_bModified = true;
    ctx.state.m_bReady = true;
    ctx.ResetProgress();
    ctx.EnableControls(true);
}

bool Synchronizer::Synchronize() {
    const bool written = Write();
    Frontend& fe = m_connection.Context().frontend;
    if (written && m_connection.Context().state.m_bAttached)
        fe.PostEvent(events::kFinishThread, 0);
    else
        fe.PostEvent(events::kTransferFailed, events::kTransferSynchronize);
    return written;
}

bool Synchronizer::Write() {
    TransferContext& ctx = m_connection.Context();
    AppState& state = ctx.state;
    FlashModel& model = m_connection.Model();
    Frontend& fe = ctx.frontend;
    if (!model.IsAllocated() || RefuseReadOnly()) {
        state.m_bReady = true;
        ctx.ResetProgress();
        ctx.EnableControls(true);
        return false;
    }

    m_connection.ShowTransferWarning();
    m_connection.Commands().Wake();
    const int n = std::clamp(m_sink.AlbumCount(), 0, kIndexEntries);
    if (!BackupBeforeWrite(n)) {
        Failed(0);
        return false;
    }

    model.ClearStoreIndexEntries(0);
    const auto plan = ChooseSyncBlocks(model, n);
    bool stopped = false;
    for (int i = 0; i < n; ++i) {
        if (!state.m_bAttached) {
            Failed(n);
            return false;
        }
        if (state.m_bQuitPending) {
            fe.SetStatusText(ctx.language.Tr("STOPDOWNLOAD_TIPS", "Stopping……"));
            model.ClearIndexCopyEntries(i);
            model.ClearStoreIndexEntries(i);
            stopped = true;
            break;
        }
        model.BuildIndexEntry(i);
        fe.SetStatusText(ctx.language.Tr("DOWNLOADING_TIPS", "Sending") + "......." +
                         std::to_string(i + 1) + "/" + std::to_string(n));
        PictureRecord& record = model.Record(i);
        if (record.state == kStateToWrite) {
            if (!WriteBlocks(plan[static_cast<size_t>(i)])) {
                Failed(n);
                return false;
            }
            record.state = kStateOnDevice;
            record.added = record.moved = false;
        }
        fe.SetProgressPos(100 * i / n);
    }

    model.BuildIndexFields();
    if (!state.m_bAttached) {
        Failed(n);
        return false;
    }
    const int ia = model.IndexAddress();
    const uint32_t indexLength =
        static_cast<uint32_t>(std::min<int64_t>(kBlockSize, int64_t{model.FlashBytes()} - ia));
    if (!m_connection.WriteBlockChecked(model.PictureStore().data() + ia, indexLength,
                                        static_cast<uint32_t>(ia))) {
        Failed(n);
        return false;
    }
    // The index block is verified: the frame holds a whole album again.
    RemoveSyncJournal(BackupRoot(), m_connection.Info());

    fe.SetProgressPos(100);
    m_sink.RefreshAlbumList();
    if (n > 0) m_sink.EnsureVisible(n - 1);
    state.m_bReady = true;
    // A stopped run leaves pictures unwritten: the album still differs from the frame.
    state.m_bModified = stopped;
    model.ClearRepacked();
    m_sink.UpdatePictureTotal(n);
    model.DeviceImage() = model.PictureStore();
    std::fill(model.BlockFlags().begin(), model.BlockFlags().end(), 0);
    ctx.ResetProgress();
    fe.SetStatusText(ctx.language.Tr("DOWNFINISH_TIPS", "Finished!"));
    return true;
}

}  // namespace framewise
