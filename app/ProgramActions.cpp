#include "app/ProgramActions.h"

#include <QListWidget>

#include "album/FrameSession.h"
#include "app/ConnectionHandlers.h"
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

// The album commands may wait in a dialog; a frame removal meanwhile waits for them.
void ProgramActions::DeleteSelected() {
    RunningWork::Scope scope(m_work);
    const std::string last = m_hooks.lastFolderPicture ? m_hooks.lastFolderPicture() : "";
    const DeleteOutcome outcome = m_commands.DeleteSelected(last);
    if (outcome.emptiedAlbum && m_hooks.showAfterAlbumEmptied)
        m_hooks.showAfterAlbumEmptied(outcome.previewPath);
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
    RunningWork::Scope scope(m_work);
    m_commands.MoveUp();
}

void ProgramActions::MoveDown() {
    RunningWork::Scope scope(m_work);
    m_commands.MoveDown();
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

void ProgramActions::Quit() {
    Run(m_hooks.stopThumbnails);
    m_connection.StopWatching();
    // A worker waiting for an answer gets the safe one, so that the join below cannot wait
    // on this thread; nothing the workers say is shown any more.
    m_gui.Close();
    ShellActions::Quit();
}

void ProgramActions::Add() {
    Run(m_hooks.add);
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
