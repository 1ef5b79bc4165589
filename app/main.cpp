// framewise: the desktop window of the picture-frame companion.
#include <QApplication>

#include <time.h>

#include <cstdlib>
#include <iostream>

#include "app/AppOptions.h"
#include "app/Program.h"
#include "app/SingleInstance.h"

using namespace framewise;

namespace {

// FRAMEWISE_FIRST_PAINT_EXIT (a measuring aid of the start-up benchmark): at its first paint
// the window writes the monotonic clock in nanoseconds to standard output and the program ends.
void ReportFirstPaint(MainWindow& window) {
    if (!std::getenv("FRAMEWISE_FIRST_PAINT_EXIT")) return;
    QObject::connect(&window, &MainWindow::FirstPainted, &window, [] {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::cout << "first-paint " << (now.tv_sec * 1000000000LL + now.tv_nsec) << std::endl;
        QCoreApplication::exit(0);
    });
}

int RunProgram(QApplication& app, const AppOptions& options) {
    SingleInstance instance(SingleInstance::DefaultName());
    if (instance.Claim() == SingleInstance::Role::Secondary) return kAppExitOk;

    Program program(options);
    ReportFirstPaint(program.Window());
    if (auto code = program.Start()) return *code;
    QObject::connect(&instance, &SingleInstance::RaiseRequested, &program.Window(),
                     &MainWindow::RaiseFromSecondStart);
    QObject::connect(&program.Window(), &QDialog::finished, &app,
                     [&app](int code) { app.exit(code); });
    const int code = app.exec();
    program.Shutdown();
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
