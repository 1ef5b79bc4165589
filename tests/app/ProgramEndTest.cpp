// How a run of the program ends or goes wrong, driven as a user would on the offscreen
// platform against a simulated frame: the close request's paths, a synchronize stopped to
// quit, the frame pulled out at idle and in the middle of a synchronize, a read that fails and
// is run again, a synchronize that fails and is run again.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QtTest>

#include "ProgramTestSupport.h"
#include "app/ConnectionHandlers.h"
#include "app/ControlFactory.h"
#include "picture/Workbench.h"

using namespace framewise;
using namespace framewise::test;

namespace {

QString Title(ProgramRun& run) {
    return run.Window().windowTitle() + QLatin1Char('|');
}

bool AlbumFolderEmpty(ProgramRun& run) {
    for (const auto& entry : std::filesystem::directory_iterator(run.Session().Paths().albumFolder))
        if (entry.path().extension() == ".bmp") return false;
    return true;
}

// Selects row, then moves it down: the album is modified.
void ModifyByMove(ProgramRun& run, int row) {
    QListWidget* list = run.List();
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(run.Get(kIdMoveDown), Qt::LeftButton);
}

}  // namespace

class ProgramEndTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() { Dialogs::SetScripted(false); }
    void closeAsksAndNoKeepsEverything();
    void closeWhileReadingIsRefused();
    void stoppedSynchronizeEndsWithAValidIndex();
    void unplugAtIdleShowsTheOfflineMessageAndEnds();
    void unplugDuringSynchronizeEndsAfterTheWorker();
    void failedReadLeavesTheWindowUsableAndReadsAgain();
    void failedSynchronizeKeepsTheAlbumToWriteAgain();
};

void ProgramEndTest::closeAsksAndNoKeepsEverything() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 4) > 0);
    ProgramRun run(dir.path(), image);
    QVERIFY(run.StartAndRead());
    const QString title = Title(run);

    // Unmodified: EXIT_TIPS_2; No keeps the window.
    Dialogs::SetNextAnswer(QMessageBox::No);
    run.Window().close();
    QCOMPARE(Dialogs::TakeShown(),
             QStringList{title + Tr(run, "EXIT_TIPS_2", "Really want to quit?")});
    QVERIFY(run.Window().isVisible());

    // Modified: EXIT_TIPS_1 on the Exit button; No keeps the album as it is.
    ModifyByMove(run, 0);
    QTRY_VERIFY(run.Session().State().m_bModified);
    Dialogs::SetNextAnswer(QMessageBox::No);
    QTest::mouseClick(run.Get(kIdExit), Qt::LeftButton);
    QCOMPARE(Dialogs::TakeShown().size(), 1);
    QVERIFY(run.Window().isVisible());
    QVERIFY(run.Session().State().m_bModified);
    QCOMPARE(run.List()->count(), 4);
    QVERIFY(!AlbumFolderEmpty(run));

    // Ctrl+E, Yes: the program ends with 0 and leaves no album files behind.
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    QTest::keyClick(run.List(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(Dialogs::TakeShown().first().contains(Tr(run, "EXIT_TIPS_1", "?")));
    QTRY_VERIFY(run.Ended(0));
    QVERIFY(!run.Window().isVisible());
    QVERIFY(AlbumFolderEmpty(run));
}

void ProgramEndTest::closeWhileReadingIsRefused() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 12, true) > 0);
    ProgramRun run(dir.path(), image);
    QCOMPARE(run.program->Start(), std::nullopt);
    run.Session().Simulated()->SetLinkModel(SimulatedFrame::UsbFullSpeed());
    QTRY_VERIFY(run.Session().State().m_bReading && run.List()->count() >= 1);

    run.Window().close();
    QCOMPARE(Dialogs::TakeShown(),
             QStringList{Title(run) + Tr(run, "SENDING_TIPS",
                                         "Sending data, Please operate after sending finished!")});
    QVERIFY(run.Window().isVisible());
    // The read goes on to its end, whole.
    QVERIFY(QTest::qWaitFor([&] { return run.ReadEnded(); }, 20000));
    QVERIFY(run.Session().State().m_bAlbumRead);
    QCOMPARE(run.List()->count(), 12);
    QCOMPARE(run.finished.count(), 0);
}

void ProgramEndTest::stoppedSynchronizeEndsWithAValidIndex() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 3) > 0);
    {
        ProgramRun run(dir / "stop", image);
        QVERIFY(run.StartAndRead());
        // Forty pictures that compress badly, added as a batch: several blocks to write.
        std::vector<std::string> paths;
        for (int i = 0; i < 40; ++i) {
            QImage noise(128, 128, QImage::Format_RGB32);
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x)
                    noise.setPixel(x, y,
                                   qRgb((x * 37 + y * 91 + i * 13) % 256, (x * y + i) % 256,
                                        (x ^ y ^ i) * 7 % 256));
            const auto path = dir / ("noise" + std::to_string(i) + ".bmp");
            QVERIFY(noise.save(QString::fromStdString(path.string()), "BMP"));
            paths.push_back(path.string());
        }
        QVERIFY(run.program->Bench().Adder().AcceptBatch(paths));
        QTRY_VERIFY_WITH_TIMEOUT(
            !run.Session().State().m_bBatchAdding && run.Get(kIdSynchronize)->isEnabled(), 60000);
        QCOMPARE(run.List()->count(), 43);

        run.Session().Simulated()->SetLinkModel(SimulatedFrame::UsbFullSpeed());
        QTest::keyClick(run.List(), Qt::Key_S, Qt::ControlModifier);
        const QString sending = Tr(run, "DOWNLOADING_TIPS", "Sending");
        QTRY_VERIFY(run.Status().startsWith(sending));
        // Yes stops it; the window stays until the worker's end event, then the program ends.
        Dialogs::SetNextAnswer(QMessageBox::Yes);
        run.Window().close();
        QCOMPARE(Dialogs::TakeShown(),
                 QStringList{Title(run) + Tr(run, "STOP_TIPS_1", "Stop download and quit?")});
        QVERIFY(run.Session().State().m_bQuitPending);
        QTRY_VERIFY_WITH_TIMEOUT(run.Ended(0), 30000);
        QVERIFY(AlbumFolderEmpty(run));
    }
    // The frame keeps an index it can be read from, whole: the three pictures it had first,
    // and as many of the new ones as were written before the stop.
    ProgramRun fresh(dir / "fresh", image);
    QVERIFY(fresh.StartAndRead());
    QVERIFY(fresh.Session().State().m_bAlbumRead);
    QVERIFY(Dialogs::TakeShown().isEmpty());
    QVERIFY(fresh.List()->count() >= 3 && fresh.List()->count() <= 43);
    for (int row = 0; row < 3; ++row)
        QVERIFY(Near(ThumbnailCentre(fresh.List(), row), PictureColour(row + 1)));
}

void ProgramEndTest::unplugAtIdleShowsTheOfflineMessageAndEnds() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 3) > 0);
    ProgramRun run(dir.path(), image);
    QVERIFY(run.StartAndRead());
    QVERIFY(run.program->Connection().WatchesDescriptor());

    // Pulled out by another program, as a user pulls the cable.
    QProcess cli;
    cli.start(QStringLiteral(FRAMEWISE_CLI), {QStringLiteral("sim"), QStringLiteral("unplug"),
                                              QString::fromStdString(image.string())});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitCode(), 0);

    QTRY_VERIFY_WITH_TIMEOUT(run.Ended(0), 10000);
    const QStringList shown = Dialogs::TakeShown();
    QCOMPARE(shown, QStringList{Title(run) + QString::fromLatin1(kOfflineMessage)});
    QVERIFY(!factory::ShowsConnected(run.Get(kIdConnection)));
    QCOMPARE(run.Status(), Tr(run, "DEVICEOFF_TIPS", "DPF Detached!"));
    QVERIFY(AlbumFolderEmpty(run));
}

void ProgramEndTest::unplugDuringSynchronizeEndsAfterTheWorker() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    ProgramRun run(dir.path(), image);
    QVERIFY(run.StartAndRead());
    ModifyByMove(run, 1);
    QTRY_VERIFY(run.Session().State().m_bModified);

    // The frame goes out at the synchronize's third command and stays out.
    SimulatedFrame& frame = *run.Session().Simulated();
    frame.SetLinkModel(SimulatedFrame::UsbFullSpeed());
    frame.InjectFault(SimFault::Unplug, 3);
    QTest::mouseClick(run.Get(kIdSynchronize), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(run.Ended(0), 20000);
    QVERIFY(Dialogs::TakeShown().contains(Title(run) + QString::fromLatin1(kOfflineMessage)));
    QVERIFY(!frame.IsPlugged());
}

void ProgramEndTest::failedReadLeavesTheWindowUsableAndReadsAgain() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    ProgramRun run(dir.path(), image);
    // Once the frame is attached, the read's first command, the index block's, fails.
    run.program->Hooks().frameAttached = [&] {
        run.Session().Simulated()->InjectFault(SimFault::FailTransfer, 1);
    };
    QCOMPARE(run.program->Start(), std::nullopt);
    QVERIFY(QTest::qWaitFor([&] { return run.ReadEnded(); }, 20000));

    const AppState& state = run.Session().State();
    QVERIFY(state.m_bReadStopped && !state.m_bAlbumRead);
    QVERIFY(
        Dialogs::TakeShown().contains(Title(run) + QStringLiteral("ReadDataFromFlash failed!")));
    QCOMPARE(run.List()->count(), 0);
    // Usable: Exit works, nothing edits a half-read album, the progress bar is gone, the status
    // line says how to try again.
    QVERIFY(run.Get(kIdExit)->isEnabled());
    QVERIFY(!run.Get(kIdDelete)->isEnabled() && !run.Get(kIdSynchronize)->isEnabled());
    QVERIFY(!run.Get(kIdProgress)->isVisible());
    QVERIFY(run.Status().contains(QStringLiteral("Right-click")));
    Dialogs::SetNextAnswer(QMessageBox::No);
    run.Window().close();
    QCOMPARE(Dialogs::TakeShown(), QStringList{Title(run) + Tr(run, "EXIT_TIPS_2", "?")});

    // The right-button menu offers the read again; it reads the whole album this time.
    const QPoint at(300, 580);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, run.Window().mapToGlobal(at));
    QApplication::sendEvent(&run.Window(), &click);
    QMenu* popup = nullptr;
    QTRY_VERIFY((popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
    QAction* readAgain = popup->actions().first();
    QCOMPARE(readAgain->text(), QStringLiteral("Read the frame again"));
    readAgain->trigger();
    popup->close();
    QVERIFY(QTest::qWaitFor([&] { return run.ReadEnded() && state.m_bAlbumRead; }, 20000));
    QCOMPARE(run.List()->count(), 5);
    for (int row = 0; row < 5; ++row)
        QVERIFY(Near(ThumbnailCentre(run.List(), row), PictureColour(row + 1)));
    QVERIFY(run.Get(kIdDelete)->isEnabled());
    // No second offer once the album is whole.
    QVERIFY(!run.program->Connection().ReadAgainOffered());
}

void ProgramEndTest::failedSynchronizeKeepsTheAlbumToWriteAgain() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    {
        ProgramRun run(dir / "run", image);
        QVERIFY(run.StartAndRead());
        ModifyByMove(run, 0);
        QTRY_VERIFY(run.Session().State().m_bModified);

        // Every transfer of the synchronize fails: it ends failed, the window is usable again,
        // the album still to be written and the status line says so.
        SimulatedFrame& frame = *run.Session().Simulated();
        for (uint64_t n = 1; n <= 400; ++n) frame.InjectFault(SimFault::FailTransfer, n);
        QTest::mouseClick(run.Get(kIdSynchronize), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(run.ReadEnded() && run.Get(kIdSynchronize)->isEnabled(), 20000);
        QVERIFY(run.Session().State().m_bModified);
        QVERIFY(run.Status().contains(QStringLiteral("Synchronize writes it again")));
        QCOMPARE(run.List()->count(), 5);
        QCOMPARE(run.finished.count(), 0);

        // Once the flash answers again, Synchronize writes the album.
        frame.ClearFaults();
        QTest::keyClick(run.List(), Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!run.Session().State().m_bModified && run.ReadEnded(), 20000);
        QCOMPARE(run.Status(), Tr(run, "DOWNFINISH_TIPS", "Finished!"));
    }
    ProgramRun fresh(dir / "fresh", image);
    QVERIFY(fresh.StartAndRead());
    for (int row = 0; row < 5; ++row) {
        const int picture = row == 0 ? 2 : row == 1 ? 1 : row + 1;
        QVERIFY(Near(ThumbnailCentre(fresh.List(), row), PictureColour(picture)));
    }
}

QTEST_MAIN(ProgramEndTest)
#include "ProgramEndTest.moc"
