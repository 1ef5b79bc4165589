// The program's start: one instance per user (a second start raises the first, a crashed
// run's socket is taken over), the session opened under the window, the plug-in message
// without a frame, and the built program's command line.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <cstring>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "app/Dialogs.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/SessionStartup.h"
#include "app/ShellActions.h"
#include "app/SingleInstance.h"
#include "config/ControlIds.h"
#include "device/FrameImage.h"

using namespace framewise;

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() { Dialogs::SetScripted(false); }
    void secondInstanceRaisesTheFirst();
    void socketLeftByACrashIsTakenOver();
    void secondProgramStartRaisesTheFirstAndEnds();
    void programCommandLine();
    void sessionOpensUnderTheWindow();
    void noFrameShowsThePlugInMessageAndEnds();
};

void StartupTest::secondInstanceRaisesTheFirst() {
    test::TempDir dir;
    const QString name = QString::fromStdString((dir / "framewise-test").string());
    SingleInstance first(name);
    QCOMPARE(first.Claim(), SingleInstance::Role::Primary);
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
    SingleInstance second(name);
    QCOMPARE(second.Claim(), SingleInstance::Role::Secondary);
    QVERIFY(raised.wait(5000) || raised.count() == 1);
    QCOMPARE(raised.count(), 1);
}

void StartupTest::socketLeftByACrashIsTakenOver() {
    test::TempDir dir;
    const std::string path = (dir / "framewise-test").string();
    // A socket file nobody listens on, as a killed run leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    QVERIFY(std::filesystem::exists(path));

    SingleInstance instance(QString::fromStdString(path));
    QCOMPARE(instance.Claim(), SingleInstance::Role::Primary);
    // And it is a live instance now: the next start is sent to it.
    QSignalSpy raised(&instance, &SingleInstance::RaiseRequested);
    SingleInstance next(QString::fromStdString(path));
    QCOMPARE(next.Claim(), SingleInstance::Role::Secondary);
    QVERIFY(raised.wait(5000) || raised.count() == 1);
}

void StartupTest::secondProgramStartRaisesTheFirstAndEnds() {
    test::TempDir runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    const QString name = QString::fromStdString(
        (runtime / ("framewise-" + std::to_string(::getuid()))).string());
    SingleInstance first(name);
    QCOMPARE(first.Claim(), SingleInstance::Role::Primary);
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path().string()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(FRAMEWISE_APP), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(raised.wait(5000) || raised.count() == 1);
}

void StartupTest::programCommandLine() {
    QProcess p;
    p.start(QStringLiteral(FRAMEWISE_APP), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("--simulate IMAGE"));
    p.start(QStringLiteral(FRAMEWISE_APP), {QStringLiteral("--version")});
    QVERIFY(p.waitForFinished(10000));
    QVERIFY(p.readAllStandardOutput().startsWith("framewise "));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FRAMEWISE_APP), {QStringLiteral("--simulate")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("--simulate needs a value"));
}

void StartupTest::sessionOpensUnderTheWindow() {
    test::TempDir dir;
    std::string error;
    QVERIFY(CreateFrameImage(dir / "frame.img", FrameImageOptions{}, error));
    AppOptions options;
    options.simulateImage = dir / "frame.img";
    options.workRoot = dir / "work";
    options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";

    MainWindow window;
    GuiFrontend frontend(window);
    FrameSession session(frontend);
    ProgramParts parts{window, frontend, session};
    QCOMPARE(OpenSession(parts, options), std::nullopt);
    ShellActions actions(window, session, frontend, ReadShellSettings(session.GetSettings()));
    PrepareWindow(parts, actions);
    // The About box before any attach: 0 KB and no version, the link and notice as shipped.
    const AboutTexts about = actions.About();
    QCOMPARE(about.flashSizeLine, std::string("Flash Size: 0 KB"));
    QCOMPARE(about.linkLine, session.GetSettings().ReadShippedText("info", "CorpLink", ""));
    QVERIFY(!about.noticeLine.empty());
    // The shipped file says "OFF": the bar waits for a transfer, which the attach begins.
    QVERIFY(!window.Control(kIdProgress)->isVisibleTo(&window));
    QVERIFY(BeginConnection(parts));
    QVERIFY(window.Control(kIdProgress)->isVisibleTo(&window));

    QCOMPARE(window.windowTitle(), QStringLiteral("Framewise"));
    // Nothing acts on the album before a read; Exit does.
    QVERIFY(!window.Control(kIdDelete)->isEnabled());
    QVERIFY(!window.Control(kIdFolderTree)->isEnabled());
    QVERIFY(window.Control(kIdExit)->isEnabled());
    // The language of the shipped file, with its menu; the working copy records it.
    const Language& language = session.GetLanguage();
    QCOMPARE(static_cast<QAbstractButton*>(window.Control(kIdSynchronize))->text(),
             QString::fromStdString(language.Tr("IDC_BUTTON_SEND", "?")));
    QCOMPARE(window.Menu().Entries().size(), size_t(5));
    QVERIFY(window.Menu().Entries().at(static_cast<size_t>(language.LangIndex())).checked);
    QCOMPARE(session.GetSettings().ReadText("info", "Language", ""), language.CurrentName());

    // The About box after the attach: the frame's flash size, the link and notice as shipped.
    const AboutTexts attachedAbout = actions.About();
    QCOMPARE(attachedAbout.flashSizeLine, std::string("Flash Size: 2048 KB"));
    QCOMPARE(attachedAbout.linkLine, about.linkLine);

    // A language switch through the window's menu command.
    window.OnMenuCommand(kCmdLanguage(2));
    QCOMPARE(language.LangIndex(), 2);
    QCOMPARE(static_cast<QAbstractButton*>(window.Control(kIdDelete))->text(),
             QString::fromStdString(language.Tr("IDC_BUTTON_DELECT", "?")));
    QCOMPARE(session.GetSettings().ReadInt("info", "LangIndex", -1), 2);
}

void StartupTest::noFrameShowsThePlugInMessageAndEnds() {
    test::TempDir dir;
    AppOptions options;
    options.workRoot = dir / "work";
    options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
    MainWindow window;
    GuiFrontend frontend(window);
    FrameSession session(frontend);
    ProgramParts parts{window, frontend, session};
    if (!std::filesystem::exists("/sys/class/scsi_generic") ||
        std::filesystem::is_empty("/sys/class/scsi_generic")) {
        QCOMPARE(OpenSession(parts, options), std::optional<int>(0));
        const QStringList shown = Dialogs::TakeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first(), QStringLiteral("Framewise|") + QString::fromLatin1(kPlugInMessage));
        QVERIFY(window.Status()->StatusText().contains(QStringLiteral("insert")));
    } else {
        QSKIP("this machine has SCSI generic devices; a frame may be among them");
    }
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
