#include "app/Program.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <iostream>

#include "app/AlbumListView.h"
#include "app/ConnectionHandlers.h"
#include "app/ControlEnabling.h"
#include "app/ControlFactory.h"
#include "app/ProgramActions.h"
#include "app/SessionStartup.h"
#include "config/ControlIds.h"
#include "controls/Icons.h"
#include "picture/Workbench.h"

namespace framewise {

namespace {

// EnableControls for one reason, callable from any thread: the reason reaches the window on
// its own thread, in order with everything else the workers post.
std::function<void(bool)> Enabler(MainWindow& window, DisableReason reason) {
    return [&window, reason](bool enable) {
        if (QThread::currentThread() == window.thread()) {
            window.SetDisabled(reason, !enable);
            return;
        }
        QMetaObject::invokeMethod(
            &window, [&window, reason, enable] { window.SetDisabled(reason, !enable); },
            Qt::QueuedConnection);
    };
}

}  // namespace

Program::Program(AppOptions options)
    : m_options(std::move(options)),
      m_work([this] { return m_hooks.thumbnailsRunning && m_hooks.thumbnailsRunning(); }) {}

Program::~Program() {
    Shutdown();
}

bool Program::DisplayDeepEnough() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_bench->Canvas().SetDisplayDepth(screen ? screen->depth() : 32);
    return m_bench->Canvas().CheckColourDepth();
}

std::optional<int> Program::Start() {
    // The window's icon, big and small.
    m_window.setWindowIcon(FramewiseIcon(QString::fromLatin1(icons::kApplication)));

    // Work folders, working copies, settings, language and menu, the device link.
    ProgramParts parts{m_window, m_frontend, m_session};
    if (auto code = OpenSession(parts, m_options)) return code;

    m_bench = std::make_unique<Workbench>(m_session, m_frontend);
    if (!DisplayDeepEnough()) {
        m_session.Close();
        return kAppExitOk;
    }
    m_connection = std::make_unique<ConnectionHandlers>(m_window, m_session, m_frontend, *m_bench,
                                                        m_hooks, m_work);
    m_actions = std::make_unique<ProgramActions>(m_window, m_session, m_frontend,
                                                 ReadShellSettings(m_session.GetSettings()),
                                                 *m_bench, m_hooks, *m_connection, m_work);
    m_albumView =
        std::make_unique<AlbumListView>(*m_window.Controls().PlacedAlbumList(), m_session.List());

    // Every reason to switch the command controls off goes through the window's enabling.
    m_session.SetEnableControls(Enabler(m_window, DisableReason::Transfer));
    // A batch keeps the Add button off from picture to picture; its end gives it back with
    // the other controls.
    const auto batch = Enabler(m_window, DisableReason::Batch);
    const auto addButton = Enabler(m_window, DisableReason::Adding);
    m_bench->Adder().SetEnableControls([batch, addButton](bool enable) {
        if (enable) addButton(true);
        batch(enable);
    });
    m_bench->Adder().SetAddButtonHandler(addButton);

    PrepareWindow(parts, *m_actions);
    m_connection->Install();
    m_connection->WatchDevices();

    if (m_session.Simulated()) {
        const std::string image = m_session.Simulated()->ImagePath().string();
        m_window.SetTitle(m_window.windowTitle() + QString::fromLatin1(kSimulatedTitleSuffix));
        std::cerr << "framewise: running on a simulated frame (" << image << ")\n";
    }
    // The frame is attached once the window has painted itself (at the latest after
    // kAttachAfterMs): the window is on the screen while the frame is being talked to.
    QObject::connect(&m_window, &MainWindow::FirstPainted, &m_window, [this] { AttachFrame(); });
    QTimer::singleShot(kAttachAfterMs, &m_window, [this] { AttachFrame(); });
    m_window.StartOpening();
    return std::nullopt;
}

void Program::AttachFrame() {
    if (m_attachDone || m_work.Ending() || m_window.Ending()) return;
    m_attachDone = true;
    ProgramParts parts{m_window, m_frontend, m_session};
    if (BeginConnection(parts)) m_connection->Attached();
}

void Program::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    // No worker may be left waiting on a window that no longer runs.
    m_frontend.Close();
    if (m_connection) m_connection->StopWatching();
    if (m_hooks.stopThumbnails) m_hooks.stopThumbnails();
    if (m_bench) m_bench->Batch().RequestStop();
    m_session.Close();
    if (m_bench) m_bench->Batch().Join();
    m_window.SetActions(nullptr);
}

}  // namespace framewise
