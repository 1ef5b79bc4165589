// GuiFrontend against a plain dialog on the offscreen platform, called from a real worker
// thread: posted calls arrive in order on the window's thread, blocking calls are answered
// while the window keeps running, and a call from the window's own thread never deadlocks.
#include <QDialog>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

#include "app/Dialogs.h"
#include "app/GuiFrontend.h"

using namespace framewise;

namespace {

// Records every call with the thread it ran on.
class RecordingDialog : public QDialog, public FrontendSurface {
  public:
    void ShowStatusText(const QString& text) override { Add("status " + text); }
    void ShowProgressRange(int low, int high) override {
        Add(QStringLiteral("range %1..%2").arg(low).arg(high));
    }
    void ShowProgressPos(int pos) override { Add(QStringLiteral("pos %1").arg(pos)); }
    void ShowProgressBar(bool show) override { Add(show ? "show" : "hide"); }
    void ShowPictureTotal(const QString& text) override { Add("total " + text); }
    void DeliverEvent(const QString& name, long wParam) override {
        Add(QStringLiteral("event %1 %2").arg(name).arg(wParam));
    }
    QWidget* DialogParent() override { return this; }
    QString DialogTitle() const override { return QStringLiteral("Framewise"); }

    void Add(const QString& entry) {
        calls << entry;
        if (QThread::currentThread() != thread()) offThread = true;
    }
    QStringList calls;
    bool offThread = false;
};

}  // namespace

class GuiFrontendTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() { Dialogs::SetScripted(false); }
    void workerCallsArriveInOrderAndBlockingOnesAreAnswered();
    void callsOnTheWindowThreadRunAtOnce();
    void choosersTranslateTheirAnswers();
    void closingReleasesAWaitingWorker();
};

void GuiFrontendTest::workerCallsArriveInOrderAndBlockingOnesAreAnswered() {
    RecordingDialog dialog;
    dialog.show();
    GuiFrontend frontend(dialog);
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    Dialogs::SetNextAnswer(QMessageBox::Cancel);

    QStringList expected;
    std::atomic<bool> done{false};
    bool yes = false;
    Answer answer = Answer::Yes;
    bool stepRanOnWindowThread = false;
    int afterStep = 0;
    std::thread worker([&] {
        frontend.SetProgressRange(0, 100);
        for (int i = 0; i < 200; ++i) {
            frontend.SetProgressPos(i % 101);
            frontend.SetStatusText("Reading " + std::to_string(i));
            if (i % 50 == 0) frontend.PostEvent("ReceivePic", i);
        }
        frontend.SetPictureTotalText("Total Pictures:\n 3 ");
        // Blocking: the answers come back to this thread.
        yes = frontend.AskYesNo("Stop download and quit?");
        answer = frontend.AskYesNoCancel("Save as BMP?");
        int shared = 0;
        frontend.RunOnWindowThread([&] {
            stepRanOnWindowThread = QThread::currentThread() == dialog.thread();
            shared = 42;
        });
        afterStep = shared;  // the step has run when the call returns
        frontend.ShowProgress(false);
        frontend.PostEvent("FinishThread", 1);
        done = true;
    });
    expected << QStringLiteral("range 0..100");
    for (int i = 0; i < 200; ++i) {
        expected << QStringLiteral("pos %1").arg(i % 101) << QStringLiteral("status Reading %1").arg(i);
        if (i % 50 == 0) expected << QStringLiteral("event ReceivePic %1").arg(i);
    }
    expected << QStringLiteral("total Total Pictures:\n 3 ") << QStringLiteral("hide")
             << QStringLiteral("event FinishThread 1");
    // The window thread keeps running its loop meanwhile; nothing here joins the worker
    // while it may wait.
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    worker.join();
    QTRY_COMPARE(dialog.calls.size(), expected.size());
    QCOMPARE(dialog.calls, expected);
    QVERIFY(!dialog.offThread);
    QVERIFY(yes);
    QCOMPARE(answer, Answer::Cancel);
    QVERIFY(stepRanOnWindowThread);
    QCOMPARE(afterStep, 42);
    QCOMPARE(Dialogs::TakeShown(), (QStringList{QStringLiteral("Framewise|Stop download and quit?"),
                                                QStringLiteral("Framewise|Save as BMP?")}));
}

void GuiFrontendTest::callsOnTheWindowThreadRunAtOnce() {
    RecordingDialog dialog;
    GuiFrontend frontend(dialog);
    frontend.SetStatusText("DPF Attach!!");
    QCOMPARE(dialog.calls, QStringList{QStringLiteral("status DPF Attach!!")});
    // A blocking call to one's own thread would wait for ever: these return at once.
    Dialogs::SetNextAnswer(QMessageBox::No);
    QVERIFY(!frontend.AskYesNo("Really want to quit?"));
    bool ran = false;
    frontend.RunOnWindowThread([&] { ran = true; });
    QVERIFY(ran);
    frontend.ShowMessage("All pics were saved!");  // an OK box, answered by the script
    // An event is posted even from the window's thread: it runs after the poster returns.
    frontend.PostEvent("DPFAttach");
    QCOMPARE(dialog.calls.size(), 1);
    QTRY_COMPARE(dialog.calls.last(), QStringLiteral("event DPFAttach 0"));
}

void GuiFrontendTest::choosersTranslateTheirAnswers() {
    RecordingDialog dialog;
    GuiFrontend frontend(dialog);
    const std::string filter = "jpg files (*.JPG)|*.jpg|bmp files (*.BMP)|*.bmp||";
    Dialogs::SetNextSaveFile(QStringLiteral("/tmp/holiday"));  // the BMP type is preselected
    Dialogs::SetNextSaveFile(QStringLiteral("/tmp/holiday"), QStringLiteral("jpg files (*.jpg *.JPG)"));
    Dialogs::SetNextSaveFile(QStringLiteral("/tmp/Holiday.JPG"));
    Dialogs::SetNextSaveFile(std::nullopt);
    QCOMPARE(frontend.ChooseSaveFile("BMP", filter), std::optional<std::string>("/tmp/holiday.bmp"));
    QCOMPARE(frontend.ChooseSaveFile("BMP", filter), std::optional<std::string>("/tmp/holiday.jpg"));
    QCOMPARE(frontend.ChooseSaveFile("BMP", filter), std::optional<std::string>("/tmp/Holiday.JPG"));
    QCOMPARE(frontend.ChooseSaveFile("BMP", filter), std::nullopt);

    // From a worker too, with the folder chooser.
    Dialogs::SetNextFolder(QStringLiteral("/media/photos"));
    std::optional<std::string> folder;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        folder = frontend.ChooseFolder("Choose Save BMP Directory");
        done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    QCOMPARE(folder, std::optional<std::string>("/media/photos"));
    QCOMPARE(frontend.ChooseFolder("Choose Save JPG Directory"), std::nullopt);  // cancelled
}

void GuiFrontendTest::closingReleasesAWaitingWorker() {
    RecordingDialog dialog;
    GuiFrontend frontend(dialog);
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    std::atomic<int> asked{0};
    bool yes = true;
    bool stepRan = false;
    std::thread worker([&] {
        frontend.SetStatusText("Sending");
        ++asked;
        yes = frontend.AskYesNo("Stop download and quit?");  // waits: the loop is not run
        frontend.RunOnWindowThread([&] { stepRan = true; });  // closed: returns at once
        frontend.SetStatusText("after the close");
    });
    // This thread runs no events meanwhile, so the worker is left waiting.
    while (asked.load() == 0) QTest::qSleep(1);
    QTest::qSleep(50);
    frontend.Close();
    worker.join();  // would hang if the waiting call were not released
    QVERIFY(!yes);
    QVERIFY(!stepRan);
    QCoreApplication::processEvents();
    // The status posted before the close still arrives; the question was never shown.
    QCOMPARE(dialog.calls, QStringList{QStringLiteral("status Sending")});
    QVERIFY(Dialogs::TakeShown().isEmpty());
}

QTEST_MAIN(GuiFrontendTest)
#include "GuiFrontendTest.moc"
