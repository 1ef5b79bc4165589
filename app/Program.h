// One run of the program with its window: the main window, the Frontend on it, the frame
// session, the workbench both sides of the window share, and the wiring between them. main()
// makes one; the tests make one per run, against a simulated frame.
#pragma once

#include <memory>
#include <optional>

#include "album/FrameSession.h"
#include "app/AppOptions.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/PictureSideHooks.h"
#include "app/RunningWork.h"

namespace framewise {

class AlbumListView;
class ConnectionHandlers;
class ProgramActions;
class Workbench;

// The title bar's note that the frame is a simulated one.
inline constexpr const char* kSimulatedTitleSuffix = " - simulated frame";

class Program {
  public:
    explicit Program(AppOptions options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The start-up sequence, the window opening. nullopt: the window runs; its event loop
    // attaches the frame found right after the window's first paint (the hook frameAttached
    // runs then) and the read follows. Otherwise the program ends at once with that exit code
    // (no frame: the plug-in message has been shown).
    std::optional<int> Start();
    // How long the attach waits for the first paint at most (a window started minimised).
    static constexpr int kAttachAfterMs = 300;
    // After the window has ended: every waiting call released, every worker joined.
    void Shutdown();

    MainWindow& Window() { return m_window; }
    GuiFrontend& Gui() { return m_frontend; }
    FrameSession& Session() { return m_session; }
    Workbench& Bench() { return *m_bench; }
    // The picture side and the folder browser set their hooks here before Start.
    PictureSideHooks& Hooks() { return m_hooks; }
    RunningWork& Work() { return m_work; }
    ConnectionHandlers& Connection() { return *m_connection; }
    AlbumListView& AlbumView() { return *m_albumView; }

  private:
    bool DisplayDeepEnough();
    void AttachFrame();

    AppOptions m_options;
    MainWindow m_window;
    GuiFrontend m_frontend{m_window};
    FrameSession m_session{m_frontend};
    PictureSideHooks m_hooks;
    RunningWork m_work;
    std::unique_ptr<Workbench> m_bench;
    std::unique_ptr<ConnectionHandlers> m_connection;
    std::unique_ptr<ProgramActions> m_actions;
    std::unique_ptr<AlbumListView> m_albumView;
    bool m_shutDown = false;
    bool m_attachDone = false;
};

}  // namespace framewise
