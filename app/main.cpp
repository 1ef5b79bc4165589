// framewise: the desktop window of the picture-frame companion.
#include <QApplication>

#include <iostream>

#include "album/FrameSession.h"
#include "app/AppOptions.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/SessionStartup.h"
#include "app/ShellActions.h"
#include "app/SingleInstance.h"

using namespace framewise;

namespace {

int RunProgram(QApplication& app, const AppOptions& options) {
    SingleInstance instance(SingleInstance::DefaultName());
    if (instance.Claim() == SingleInstance::Role::Secondary) return kAppExitOk;

    MainWindow window;
    GuiFrontend frontend(window);
    FrameSession session(frontend);
    ProgramParts parts{window, frontend, session};
    if (auto code = OpenSession(parts, options)) return *code;

    ShellActions actions(window, session, frontend, ReadShellSettings(session.GetSettings()));
    PrepareWindow(parts, actions);
    BeginConnection(parts);
    QObject::connect(&instance, &SingleInstance::RaiseRequested, &window,
                     &MainWindow::RaiseFromSecondStart);
    QObject::connect(&window, &QDialog::finished, &app, [&app](int code) { app.exit(code); });
    window.StartOpening();
    const int code = app.exec();
    // No worker may be left waiting on a window that no longer runs.
    frontend.Close();
    session.Close();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version need no display.
    const AppOptions early = ParseAppOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (early.help) {
        std::cout << AppUsage();
        return kAppExitOk;
    }
    if (early.version) {
        std::cout << "framewise " << FRAMEWISE_VERSION << "\n";
        return kAppExitOk;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("framewise"));
    QApplication::setApplicationVersion(QStringLiteral(FRAMEWISE_VERSION));
    // Qt has taken its own options out of the command line; the rest are ours.
    std::vector<std::string> args;
    for (const QString& a : app.arguments().mid(1)) args.push_back(a.toStdString());
    const AppOptions options = ParseAppOptions(args);
    if (!options.error.empty()) {
        std::cerr << "framewise: " << options.error << " (see --help)\n";
        return kAppExitUsage;
    }
    return RunProgram(app, options);
}
