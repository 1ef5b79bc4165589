#include "app/ProgramActions.h"

#include <QListWidget>

#include "album/FrameSession.h"
#include "app/BackupChooser.h"
#include "app/ConnectionHandlers.h"
#include "app/PlanTooltips.h"
#include "app/ControlEnabling.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/PictureSideHooks.h"
#include "app/RunningWork.h"
#include "config/ControlIds.h"
#include "picture/SavePictures.h"
#include "picture/Workbench.h"

namespace framewise {

namespace {
void Run(const std::function<void()>& hook) {
    if (hook) hook();
}
}  // namespace

ProgramActions::ProgramActions(MainWindow& window, FrameSession& session, GuiFrontend& frontend,
                               ShellSettings shell, Workbench& bench, PictureSideHooks& hooks,
                               ConnectionHandlers& connection, RunningWork& work)
    : ShellActions(window, session, frontend, std::move(shell)),
      m_gui(frontend),
      m_bench(bench),
      m_hooks(hooks),
      m_connection(connection),
      m_work(work),
      m_commands(session.Folder(), session.List(), session.Connection().Model(), session.State(),
                 frontend, session.GetLanguage(),
                 [&session](int count) { session.Store().UpdatePictureTotal(count); }) {
    m_commands.SetButtonEnabler([&window](int id, bool enabled) {
        window.SetDisabled(id == kIdMoveUp ? DisableReason::MovingUp : DisableReason::MovingDown,
                           !enabled);
    });
    // The Rect/Clear captions follow the crop rectangle of the one canvas both sides share.
    SetCropNext([this] {
        return m_hooks.cropNext ? m_hooks.cropNext() : m_bench.Canvas().Crop().m_bCropNext;
    });
}

void ProgramActions::Synchronize() {
    m_connection.StartSynchronize();
}

template <typename Edit>
void ProgramActions::RenumberingEdit(Edit edit) {
    // The album commands may wait in a dialog; a frame removal meanwhile waits for them.
    RunningWork::Scope scope(m_work);
    Run(m_hooks.beforeAlbumEdit);
    edit();
    Run(m_hooks.afterAlbumEdit);
}

void ProgramActions::DeleteSelected() {
    DeleteOutcome outcome;
    RenumberingEdit([&] {
        const std::string last = m_hooks.lastFolderPicture ? m_hooks.lastFolderPicture() : "";
        outcome = m_commands.DeleteSelected(last);
    });
    if (outcome.emptiedAlbum && m_hooks.showAfterAlbumEmptied)
        m_hooks.showAfterAlbumEmptied(outcome.previewPath);
    AlbumShown();
}

bool ProgramActions::FolderListHasFocus() const {
    if (m_hooks.folderListHasFocus) return m_hooks.folderListHasFocus();
    // The window's focus widget, whether or not the window is active just now.
    return m_window.focusWidget() == m_window.Control(kIdFolderPictureList);
}

void ProgramActions::SelectAll() {
    RunningWork::Scope scope(m_work);
    if (m_commands.SelectAll(FolderListHasFocus()) != SelectAllTarget::FolderList) return;
    if (m_hooks.selectAllFolderPictures) {
        m_hooks.selectAllFolderPictures();
    } else if (auto* list = qobject_cast<QListWidget*>(m_window.Control(kIdFolderPictureList))) {
        list->selectAll();
    }
}

void ProgramActions::MoveUp() {
    RenumberingEdit([this] { m_commands.MoveUp(); });
    AlbumShown();
}

void ProgramActions::MoveDown() {
    RenumberingEdit([this] { m_commands.MoveDown(); });
    AlbumShown();
}

void ProgramActions::Save() {
    RunningWork::Scope scope(m_work);
    SaveContext ctx{m_session.Folder(),      m_session.List(),    m_session.State(),     m_frontend,
                    m_session.GetLanguage(), m_session.Encoder(), m_session.Connection()};
    SavePictures(ctx);
}

void ProgramActions::SaveAll() {
    RunningWork::Scope scope(m_work);
    SaveContext ctx{m_session.Folder(),      m_session.List(),    m_session.State(),     m_frontend,
                    m_session.GetLanguage(), m_session.Encoder(), m_session.Connection()};
    SaveAllPictures(ctx);
}

void ProgramActions::FilesDropped(const std::vector<std::string>& queue) {
    // The window has made the add queue of the drop already (at most 125 items, folders
    // opened): it is accepted as the batch as it stands. "ReceivePic" runs it.
    m_bench.Adder().AcceptBatch(queue);
}

bool ProgramActions::ReadAgainOffered() {
    return m_connection.ReadAgainOffered();
}

void ProgramActions::ReadAgain() {
    m_connection.ReadAgain();
}

std::string ProgramActions::RestoreMenuText() {
    return m_session.GetLanguage().Tr("RESTORE_MENU", "Restore frame from backup…");
}

bool ProgramActions::RestoreOffered() {
    const AppState& s = m_session.State();
    return !m_work.Ending() && !m_work.Runs(RunningWork::Kind::Transfer) && s.m_bReady &&
           !s.m_bReading && s.m_bAttached && !s.m_bBatchAdding && !m_session.Worker().Running() &&
           m_session.Connection().IsConnected();
}

void ProgramActions::RestoreFromBackup() {
    if (!RestoreOffered()) return;
    RunningWork::Scope scope(m_work);
    const Language& language = m_session.GetLanguage();
    const std::vector<BackupEntry> backups = ListBackupsNewestFirst(m_session);
    if (backups.empty()) {
        m_frontend.ShowMessage(language.Tr("RESTORE_NONE_TIPS", "There is no backup of this frame yet."));
        return;
    }
    QStringList items;
    for (const BackupEntry& b : backups) items << BackupItemText(language, b);
    const auto row = BackupChooser::Choose(
        &m_window, QString::fromStdString(RestoreMenuText()),
        QString::fromStdString(language.Tr("RESTORE_LIST_TIPS", "Backups of this frame, newest first:")),
        items);
    if (!row) return;
    const BackupEntry& chosen = backups[static_cast<size_t>(*row)];
    QString ask = QString::fromStdString(language.Tr(
        "RESTORE_ASK_TIPS",
        "Put the backup of %1 back into the frame? Only the blocks that differ are rewritten, each "
        "one verified; changes not synchronized are lost."));
    if (!m_frontend.AskYesNo(ask.arg(chosen.when).toStdString())) return;
    // The frame may have gone while the questions were open.
    if (!RestoreOffered()) return;
    m_window.SetDisabled(DisableReason::NoAlbum, true);
    if (m_session.StartRestore(chosen.file))
        m_work.Started(RunningWork::Kind::Transfer);
    else
        m_window.SetDisabled(DisableReason::NoAlbum, false);
}

void ProgramActions::AlbumShown() {
    m_window.Control(kIdSynchronize)->setToolTip(SynchronizeTooltip(m_session));
    m_window.Control(kIdPictureTotal)->setToolTip(PictureTotalTooltip(m_session));
}

void ProgramActions::Quit() {
    Run(m_hooks.stopThumbnails);
    m_connection.StopWatching();
    // A worker waiting for an answer gets the safe one, so that the join below cannot wait
    // on this thread; nothing the workers say is shown any more.
    m_gui.Close();
    ShellActions::Quit();
}

void ProgramActions::SwitchLanguage(int commandId) {
    ShellActions::SwitchLanguage(commandId);
    Run(m_hooks.languageApplied);
}

void ProgramActions::Add() {
    Run(m_hooks.add);
    AlbumShown();
}
void ProgramActions::ZoomIn() {
    Run(m_hooks.zoomIn);
}
void ProgramActions::ZoomOut() {
    Run(m_hooks.zoomOut);
}
void ProgramActions::ToggleRect() {
    Run(m_hooks.toggleRect);
}
void ProgramActions::RotateLeft() {
    Run(m_hooks.rotateLeft);
}
void ProgramActions::RotateRight() {
    Run(m_hooks.rotateRight);
}

}  // namespace framewise
