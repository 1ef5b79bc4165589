// The window's handlers of the frame and its transfers: "DPFAttach", "FinishThread",
// "TransferFailed", "HIDDEVICECHANGE" (arrival and removal), the batch's and the thumbnail
// run's events, and the watch for frames coming and going. Each handler is a few calls on the
// session; a removal or a stop-and-quit ends the program only after the work's end event.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <string>

#include "album/FrameSession.h"

namespace framewise {

class Frontend;
class MainWindow;
class RunningWork;
class Workbench;
struct PictureSideHooks;

// Shown when the frame goes away; the program then ends with exit code 0.
inline constexpr const char* kOfflineMessage = "Snap Keeper is offline,program will terminate now!";

class ConnectionHandlers : public QObject {
    Q_OBJECT
  public:
    ConnectionHandlers(MainWindow& window, FrameSession& session, Frontend& frontend,
                       Workbench& bench, PictureSideHooks& hooks, RunningWork& work,
                       QObject* parent = nullptr);

    // Fills the window's dispatch table with every window event.
    void Install();
    // Watches the frames: the session's notification descriptor, or polling without one.
    void WatchDevices();
    void StopWatching();

    // After a successful attach (start-up or arrival): the workbench and the picture side
    // learn the frame.
    void Attached();

    // The Synchronize command (1001): true when the worker started.
    bool StartSynchronize();
    // After a failed read the frame can be read again (the context menu offers it).
    bool ReadAgainOffered() const;
    bool ReadAgain();

    // Whether the frame's watch is on, and how: a descriptor, or the polling timer.
    bool WatchesDescriptor() const { return m_notifier != nullptr; }
    bool Polls() const { return m_poll.isActive(); }

  private:
    void OnDpfAttach();
    void OnFinishThread();
    void OnTransferFailed(long which);
    void OnDeviceChange(long present);
    void OnReceivePic();
    void OnProcessFinish();
    void OnThumbnailEvent(const std::string& name, long wParam);

    // failed: which transfer failed (events::kTransferRead, kTransferSynchronize), 0 for none.
    void TransferEnded(TransferEnd end, long failed);
    void RefreshEnabling();
    void Arrive();
    void BeginRemoval();
    // Stops what can be stopped and ends the program once nothing runs; last is its final act.
    void EndWhenIdle(void (ConnectionHandlers::*last)());
    void EndQuit();
    void EndOffline();

    MainWindow& m_window;
    FrameSession& m_session;
    Frontend& m_frontend;
    Workbench& m_bench;
    PictureSideHooks& m_hooks;
    RunningWork& m_work;
    QPointer<QSocketNotifier> m_notifier;
    QTimer m_poll;
};

}  // namespace framewise
