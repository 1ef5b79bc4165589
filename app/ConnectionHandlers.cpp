#include "app/ConnectionHandlers.h"

#include <chrono>

#include "app/ControlEnabling.h"
#include "app/MainWindow.h"
#include "app/PictureSideHooks.h"
#include "app/RunningWork.h"
#include "config/EventNames.h"
#include "picture/Workbench.h"

namespace framewise {

namespace {
// Said on the status line after a read that failed, so that the way to try again is known.
constexpr const char* kReadAgainHintEnglish =
    "Reading the frame failed. Right-click the window to read it again.";
constexpr const char* kReadAgainHintChinese = "读取相框失败。右键单击窗口可重新读取。";
// And after a synchronize that failed: nothing of the album is lost, it can be written again.
constexpr const char* kSyncAgainHintEnglish =
    "Writing to the frame failed. The album is kept; Synchronize writes it again.";
constexpr const char* kSyncAgainHintChinese = "写入相框失败。相册已保留，可再次同步写入。";
}  // namespace

ConnectionHandlers::ConnectionHandlers(MainWindow& window, FrameSession& session,
                                       Frontend& frontend, Workbench& bench,
                                       PictureSideHooks& hooks, RunningWork& work, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_session(session),
      m_frontend(frontend),
      m_bench(bench),
      m_hooks(hooks),
      m_work(work) {}

void ConnectionHandlers::Install() {
    EventTable& events = m_window.Events();
    using namespace events;
    events.On(kDpfAttach, [this](long) { OnDpfAttach(); });
    events.On(kFinishThread, [this](long) { OnFinishThread(); });
    events.On(kTransferFailed, [this](long which) { OnTransferFailed(which); });
    events.On(kHidDeviceChange, [this](long present) { OnDeviceChange(present); });
    events.On(kReceivePic, [this](long) { OnReceivePic(); });
    events.On(kProcessFinish, [this](long) { OnProcessFinish(); });
    // The preview's two events belong to the picture side.
    events.On(kPaintFromOriginPic, [this](long) {
        if (m_hooks.paintFromOriginPic) m_hooks.paintFromOriginPic();
    });
    events.On(kPaintFromForCutBmp, [this](long) {
        if (m_hooks.paintFromForCutBmp) m_hooks.paintFromForCutBmp();
    });
    for (std::string_view name : {kSourceTileToBmp, kSourceTileToBmpOne, kSourceTileToBmpFinish}) {
        events.On(name,
                  [this, n = std::string(name)](long wParam) { OnThumbnailEvent(n, wParam); });
    }
}

void ConnectionHandlers::WatchDevices() {
    const int fd = m_session.NotificationFd();
    if (fd >= 0) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this,
                [this] { m_session.HandleNotification(); });
        return;
    }
    m_poll.setInterval(
        std::chrono::duration_cast<std::chrono::milliseconds>(DeviceLink::kPollInterval));
    connect(
        &m_poll, &QTimer::timeout, this, [this] { m_session.Poll(); }, Qt::UniqueConnection);
    m_poll.start();
}

void ConnectionHandlers::StopWatching() {
    // The session closes the descriptor; the notifier must not watch it any longer.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
    }
    m_poll.stop();
}

void ConnectionHandlers::Attached() {
    m_bench.Attached();
    if (m_hooks.frameAttached) m_hooks.frameAttached();
}

// ---- The transfers ----

void ConnectionHandlers::OnDpfAttach() {
    if (m_work.Ending()) return;
    if (m_session.StartAlbumRead()) m_work.Started(RunningWork::Kind::Transfer);
}

bool ConnectionHandlers::StartSynchronize() {
    if (m_work.Ending() || !m_session.StartSynchronize()) return false;
    m_work.Started(RunningWork::Kind::Transfer);
    return true;
}

bool ConnectionHandlers::ReadAgainOffered() const {
    const AppState& s = m_session.State();
    return !m_work.Ending() && !m_work.Runs(RunningWork::Kind::Transfer) && s.m_bReadStopped &&
           s.m_bReady && s.m_bAttached && !s.m_bBatchAdding;
}

bool ConnectionHandlers::ReadAgain() {
    if (!ReadAgainOffered() || !m_session.StartAlbumRead()) return false;
    m_work.Started(RunningWork::Kind::Transfer);
    return true;
}

void ConnectionHandlers::OnFinishThread() {
    TransferEnded(m_session.OnFinishThread(), 0);
}

void ConnectionHandlers::OnTransferFailed(long which) {
    TransferEnded(m_session.OnTransferFailed(which), which);
}

void ConnectionHandlers::TransferEnded(TransferEnd end, long failed) {
    // The session has joined the worker; a removal or a quit waiting for it goes on now.
    m_work.Ended(RunningWork::Kind::Transfer);
    if (m_work.Ending()) return;
    if (end == TransferEnd::Quit) {
        EndWhenIdle(&ConnectionHandlers::EndQuit);
        return;
    }
    if (end == TransferEnd::Removed) {
        EndWhenIdle(&ConnectionHandlers::EndOffline);
        return;
    }
    RefreshEnabling();
    const AppState& s = m_session.State();
    const Language& language = m_session.GetLanguage();
    if (failed == events::kTransferRead && s.m_bReadStopped && s.m_bAttached)
        m_frontend.SetStatusText(language.Pick(kReadAgainHintEnglish, kReadAgainHintChinese));
    if (failed == events::kTransferSynchronize && s.m_bAttached && s.m_bModified)
        m_frontend.SetStatusText(language.Pick(kSyncAgainHintEnglish, kSyncAgainHintChinese));
}

void ConnectionHandlers::RefreshEnabling() {
    const AppState& s = m_session.State();
    // No transfer runs any more; the album side waits for a whole read of the frame attached.
    m_window.SetDisabled(DisableReason::Transfer, false);
    m_window.SetDisabled(DisableReason::NoAlbum, !(s.m_bAttached && s.m_bAlbumRead));
}

// ---- Arrival and removal ----

void ConnectionHandlers::OnDeviceChange(long present) {
    if (m_work.Ending()) return;
    if (present)
        Arrive();
    else
        BeginRemoval();
}

void ConnectionHandlers::Arrive() {
    m_window.ShowConnection(true);
    if (m_hooks.frameArrived) m_hooks.frameArrived();
    m_window.SetDisabled(DisableReason::NoAlbum, true);
    // The attach posts "DPFAttach", which starts the read.
    if (m_session.Arrive()) Attached();
}

void ConnectionHandlers::BeginRemoval() {
    m_window.ShowConnection(false);
    m_window.SetDisabled(DisableReason::NoAlbum, true);
    // Stops a running read or synchronize; the batch and the thumbnails are asked to stop
    // too, and the program ends once each has reported its end.
    m_session.BeginRemoval();
    EndWhenIdle(&ConnectionHandlers::EndOffline);
}

void ConnectionHandlers::EndWhenIdle(void (ConnectionHandlers::*last)()) {
    m_bench.Batch().RequestStop();
    if (m_hooks.stopThumbnails) m_hooks.stopThumbnails();
    m_work.EndWhenIdle([this, last] { (this->*last)(); });
}

void ConnectionHandlers::EndQuit() {
    m_window.EndProgram(0);
}

void ConnectionHandlers::EndOffline() {
    if (m_session.RemovalPending()) m_session.FinishRemoval();
    StopWatching();
    m_frontend.ShowMessage(kOfflineMessage);
    m_window.EndProgram(0);
}

// ---- The batch and the thumbnails ----

void ConnectionHandlers::OnReceivePic() {
    // A drop accepted just before the frame went: the batch is not started any more.
    if (m_work.Ending()) return;
    m_work.Started(RunningWork::Kind::Batch);
    if (m_hooks.receivePic)
        m_hooks.receivePic();
    else
        m_bench.Batch().Start();
}

void ConnectionHandlers::OnProcessFinish() {
    if (m_hooks.processFinish)
        m_hooks.processFinish();
    else
        m_bench.Batch().Finish();
    m_work.Ended(RunningWork::Kind::Batch);
}

void ConnectionHandlers::OnThumbnailEvent(const std::string& name, long wParam) {
    if (m_hooks.thumbnailEvent) m_hooks.thumbnailEvent(name, wParam);
}

}  // namespace framewise
