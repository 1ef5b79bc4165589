// The main window driven through its events on the offscreen platform: its controls, the
// opening and layout, keys and accelerators, the close paths, the context menu, a live
// language switch, drops and the progress bar.
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "WindowTestSupport.h"
#include "app/WindowLayout.h"
#include "config/LanguageUi.h"
#include "config/Settings.h"

using namespace framewise;
using framewise::test::ShownWindow;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void everyControlCarriesItsId();
    void opensAnimatedThenLaysOutOnce();
    void enterAndEscapeDoNothing();
    void acceleratorsWorkWhateverHasFocus();
    void closePathsFollowTheState();
    void contextMenuAndAbout();
    void languageSwitchReCaptionsLive();
    void dropQueuesAtMost125Pictures();
    void progressStatusAndEvents();
};

void MainWindowTest::everyControlCarriesItsId() {
    ShownWindow w;
    for (const auto& c : DesignRects()) {
        QWidget* control = w.Get(c.id);
        QVERIFY2(control, qPrintable(QString::number(c.id)));
        QCOMPARE(control->geometry(), c.rect);
    }
    QVERIFY(w.Get(kIdRead) && !w.Get(kIdRead)->isVisible());
    QVERIFY(!w.Get(kIdQualitySlider)->isVisible() && !w.Get(kIdQualitySlider)->isEnabled());
    QVERIFY(!w.Get(kIdQualityLabel)->isVisible());
    QCOMPARE(w.Get<QListWidget>(kIdAlbumList)->viewMode(), QListView::IconMode);
    QCOMPARE(w.Get<QListWidget>(kIdFolderPictureList)->viewMode(), QListView::IconMode);
    QVERIFY(w.Get<QTreeWidget>(kIdFolderTree));
    QCOMPARE(w.Get<QLabel>(kIdPictureTotal)->text(), QStringLiteral("Total Pictures:\n 0 / 0"));

    // Fixed geometry, the title as given, the two-part status bar at the foot.
    w.window.SetTitle(QStringLiteral("PhotoKey"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("PhotoKey"));
    QCOMPARE(w.window.minimumSize(), w.window.maximumSize());
    QCOMPARE(w.window.size(), QSize(860, 630));
    QWidget* status = w.Get(kIdStatusBar);
    QVERIFY(status);
    QCOMPARE(status->geometry().bottom(), 629);
    QCOMPARE(status->width(), 860);
    auto* left = status->findChild<QLabel*>(QStringLiteral("part0"));
    QCOMPARE(left->text(), QStringLiteral("Info:"));
    QCOMPARE(left->width(), 100);
}

void MainWindowTest::opensAnimatedThenLaysOutOnce() {
    test::RecordingActions actions;
    MainWindow window;
    window.SetScreenSize(QSize(800, 600));
    window.StartOpening();
    const OpeningAnimation* opening = window.Opening();
    QVERIFY(opening);
    QCOMPARE(window.size(), QSize(1, 1));
    QSize last = window.size();
    for (int i = 0; i < 1000 && !opening->Finished(); ++i) {
        window.TickOpening();
        QVERIFY(window.width() >= last.width());
        last = window.size();
    }
    QVERIFY(opening->Finished());
    QVERIFY(!window.LaidOut());  // the layout waits for the first paint after the growth
    QTRY_VERIFY(window.LaidOut());
    // The whole window, frame included, covers the screen; the client is what the frame
    // leaves of it.
    QCOMPARE(window.frameGeometry().size(), QSize(799, 600));
    QCOMPARE(window.pos(), QPoint(0, 0));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("1005"))->geometry(),
             QRect(546, 93, 228, 364));
    QCOMPARE(window.PreviewTop(), window.findChild<QWidget*>(QStringLiteral("1020"))->y());
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("1013"))->width(), window.width());
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("1013"))->geometry().bottom(),
             window.height() - 1);
    // Only one status bar after the layout recreated it.
    QCOMPARE(window.findChildren<QWidget*>(QStringLiteral("1013")).size(), 1);
}

void MainWindowTest::enterAndEscapeDoNothing() {
    ShownWindow w;
    QSignalSpy finished(&w.window, &QDialog::finished);
    for (int id : {kIdAlbumList, kIdExit, kIdSynchronize}) {
        w.Get(id)->setFocus();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(w.Get(id), key);
    }
    QTest::keyClick(&w.window, Qt::Key_Escape);
    QVERIFY(w.window.isVisible());
    QCOMPARE(finished.count(), 0);
    QVERIFY(w.actions.calls.empty());
    QVERIFY(w.frontend.Entries().empty());  // not even the exit question
}

void MainWindowTest::acceleratorsWorkWhateverHasFocus() {
    ShownWindow w;
    struct Row {
        QKeyCombination keys;
        const char* action;
    };
    const Row rows[] = {
        {Qt::CTRL | Qt::Key_A, "SelectAll"},
        {Qt::CTRL | Qt::Key_R, "Rect"},
        {Qt::CTRL | Qt::Key_S, "Synchronize"},
        {Qt::KeypadModifier | Qt::Key_Plus, "ZoomIn"},
        {Qt::KeypadModifier | Qt::Key_Minus, "ZoomOut"},
        {QKeyCombination(Qt::Key_Delete), "Delete"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Left, "RotateLeft"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Right, "RotateRight"},
        {Qt::CTRL | Qt::Key_Right, "Add"},
    };
    for (int focus : {kIdAlbumList, kIdFolderTree, kIdFolderPictureList, kIdSave}) {
        w.Get(focus)->setFocus();
        QTRY_VERIFY(w.Get(focus)->hasFocus());
        for (const Row& r : rows) {
            w.actions.calls.clear();
            QTest::keyClick(QApplication::focusWidget(), r.keys.key(), r.keys.keyboardModifiers());
            QCOMPARE(w.actions.calls, std::vector<std::string>{r.action});
        }
    }
    // The main keyboard's plus is no accelerator.
    w.actions.calls.clear();
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_Plus);
    QVERIFY(w.actions.calls.empty());

    // An accelerator does nothing while its control is disabled; Ctrl+Right also not while a
    // batch runs. Exit (Ctrl+E) always reaches the close request.
    w.window.SetDisabled(DisableReason::Transfer, true);
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_Delete);
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(w.actions.calls.empty());
    w.window.SetDisabled(DisableReason::Transfer, false);
    w.state.m_bBatchAdding = true;
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(w.actions.calls.empty());
    w.state.m_bBatchAdding = false;
    w.frontend.QueueYesNo(false);
    QTest::keyClick(w.Get(kIdAlbumList), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(w.frontend.Questions(), std::vector<std::string>{"Really want to quit?"});
    QVERIFY(w.window.isVisible());
}

void MainWindowTest::closePathsFollowTheState() {
    ShownWindow w;
    QSignalSpy finished(&w.window, &QDialog::finished);

    w.state.m_bBatchAdding = true;
    w.window.close();
    QVERIFY(w.frontend.Entries().empty());
    w.state.m_bBatchAdding = false;

    w.state.m_bReady = false;
    w.state.m_bReading = true;
    QTest::mouseClick(w.Get(kIdExit), Qt::LeftButton);
    QCOMPARE(w.frontend.Messages(),
             std::vector<std::string>{"Sending data, Please operate after sending finished!"});
    QVERIFY(w.window.isVisible());

    // A synchronize runs: Yes asks it to stop; the window stays until its end event.
    w.state.m_bReading = false;
    w.frontend.QueueYesNo(true);
    w.window.close();
    QVERIFY(w.state.m_bQuitPending);
    QCOMPARE(w.frontend.LastStatus(), std::string("Stopping……"));
    QVERIFY(w.window.isVisible());
    QCOMPARE(finished.count(), 0);

    // Idle and modified: No keeps everything, Yes cleans up and ends with code 0.
    w.state.m_bReady = true;
    w.state.m_bModified = true;
    w.frontend.Clear();
    w.frontend.QueueYesNo(false);
    w.window.close();
    QVERIFY(w.window.isVisible());
    QVERIFY(w.state.m_bModified);
    w.frontend.QueueYesNo(true);
    w.window.close();
    QCOMPARE(w.frontend.Questions().size(), size_t(2));
    QCOMPARE(w.actions.calls, std::vector<std::string>{"Quit"});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QVERIFY(!w.window.isVisible());
}

void MainWindowTest::contextMenuAndAbout() {
    ShownWindow w;
    LanguageMenu menu;
    menu.caption = "Language";
    menu.entries = {{9002, "English", true}, {9003, "German", false}};
    w.window.SetLanguageMenu(menu);
    const QPoint at(300, 580);

    w.state.m_bReading = true;
    QContextMenuEvent refused(QContextMenuEvent::Mouse, at, w.window.mapToGlobal(at));
    QApplication::sendEvent(&w.window, &refused);
    QVERIFY(!QApplication::activePopupWidget());
    w.state.m_bReading = false;

    QContextMenuEvent shown(QContextMenuEvent::Mouse, at, w.window.mapToGlobal(at));
    QApplication::sendEvent(&w.window, &shown);
    QTRY_VERIFY(QApplication::activePopupWidget());
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(popup);
    const auto actions = popup->actions();
    QCOMPARE(actions.first()->text(), QStringLiteral("Language"));
    QCOMPARE(actions.last()->text(), QStringLiteral("About Framewise(&A)..."));
    const auto languages = actions.first()->menu()->actions();
    QCOMPARE(languages.size(), 2);
    QVERIFY(languages[0]->isChecked() && !languages[1]->isChecked());
    languages[1]->trigger();
    QCOMPARE(w.actions.calls, std::vector<std::string>{"Language 9003"});
    actions.last()->trigger();
    popup->close();

    QDialog* about = nullptr;
    QTRY_VERIFY((about = w.window.findChild<QDialog*>()) != nullptr);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Framewise"));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("1047"))->text(),
             QStringLiteral("Flash Size: 2048 KB"));
    about->accept();
}

void MainWindowTest::languageSwitchReCaptionsLive() {
    ShownWindow w;
    test::TempDir dir;
    const std::filesystem::path data = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
    std::filesystem::copy_file(data / "StartInfoUnicode.ini", dir / "StartInfoUnicode.ini");
    Language language(data / "LanguageUnicode.ini");
    QCOMPARE(language.CountLanguages(), 5);
    Settings settings(data / "StartInfoUnicode.ini");
    settings.SetCurrent(dir / "StartInfoUnicode.ini");
    RecordingFrontend fe;
    w.window.ShowPictureTotal(QStringLiteral("Total Pictures:\n 3 \n(207 KB / 2048 KB)"));

    const int french = kCmdLanguage(3);
    w.window.ApplyLanguageSwitch(ApplyLanguage(french, language, settings, {}, "Framewise", fe));
    const auto text = [&](const char* key) { return QString::fromStdString(language.Tr(key, "?")); };
    QCOMPARE(w.Get<QAbstractButton>(kIdDelete)->text(), text("IDC_BUTTON_DELECT"));
    QCOMPARE(w.Get<QAbstractButton>(kIdSynchronize)->text(), text("IDC_BUTTON_SEND"));
    QCOMPARE(w.Get<QGroupBox>(kIdAlbumGroup)->title(), text("IDC_STATIC_PICSINDPF"));
    QCOMPARE(w.Get(kIdDelete)->toolTip(), text("IDC_BUTTON_DELECTTIPS"));
    QCOMPARE(w.Get(kIdRect)->toolTip(), text("IDC_BUTTON_CLEARRECTTIPS"));
    QVERIFY(text("IDC_BUTTON_DELECT") != QStringLiteral("Delete"));
    // The total keeps what it showed; the status bar is new, in the new language.
    QCOMPARE(w.Get<QLabel>(kIdPictureTotal)->text(),
             QStringLiteral("Total Pictures:\n 3 \n(207 KB / 2048 KB)"));
    QCOMPARE(w.window.Status()->LeftText(), text("STATUSBAR_LEFT"));
    QCOMPARE(w.window.Status()->StatusText(), text("DEVICEOFF_TIPS"));
    QCOMPARE(w.window.Menu().Caption(), text("LANGUAGE_MENU"));
    QVERIFY(w.window.Menu().Entries().at(3).checked);
    QVERIFY(!w.window.Menu().Entries().at(0).checked);

    // Hovering shows the new tooltip while ready; during a transfer no tooltip appears.
    QWidget* del = w.Get(kIdDelete);
    const QPoint inside(5, 5);
    QHelpEvent hover(QEvent::ToolTip, inside, del->mapToGlobal(inside));
    QApplication::sendEvent(del, &hover);
    QTRY_COMPARE(QToolTip::text(), text("IDC_BUTTON_DELECTTIPS"));
    QToolTip::hideText();
    QTRY_VERIFY(QToolTip::text().isEmpty());
    w.state.m_bReady = false;
    QHelpEvent busy(QEvent::ToolTip, inside, del->mapToGlobal(inside));
    QApplication::sendEvent(del, &busy);
    QTest::qWait(50);
    QVERIFY(QToolTip::text().isEmpty());
}

void MainWindowTest::dropQueuesAtMost125Pictures() {
    ShownWindow w;
    test::TempDir dir;
    QList<QUrl> urls;
    for (int i = 0; i < 200; ++i) {
        const auto path = dir / ("IMG_" + std::to_string(1000 + i) + ".jpg");
        std::ofstream(path) << "x";
        urls << QUrl::fromLocalFile(QString::fromStdString(path.string()));
    }
    QMimeData mime;
    mime.setUrls(urls);
    const auto drop = [&] {
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&w.window, &enter);
        QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(&w.window, &dropped);
        return enter.isAccepted();
    };
    // No frame attached: the drop is refused and changes nothing.
    QVERIFY(!drop());
    QVERIFY(w.actions.dropped.empty());
    w.state.m_bAttached = true;
    QVERIFY(drop());
    QCOMPARE(w.actions.dropped.size(), size_t(125));
    QCOMPARE(w.actions.dropped.front(), (dir / "IMG_1000.jpg").string());
}

void MainWindowTest::progressStatusAndEvents() {
    ShownWindow w;
    QWidget* bar = w.Get(kIdProgress);
    QVERIFY(bar->isVisible());
    w.window.ShowProgressBar(false);  // "ON": never hidden
    QVERIFY(bar->isVisible());
    w.window.SetProgressCtrlOff(true);
    QVERIFY(!bar->isVisible());
    w.window.ShowProgressBar(true);
    QVERIFY(bar->isVisible());
    w.window.ShowProgressBar(false);
    QVERIFY(!bar->isVisible());

    // The overlapping reasons reach the widgets.
    w.window.SetDisabled(DisableReason::Thumbnails, true);
    w.window.SetDisabled(DisableReason::Transfer, true);
    w.window.SetDisabled(DisableReason::Transfer, false);
    QVERIFY(!w.Get(kIdFolderTree)->isEnabled());
    QVERIFY(w.Get(kIdDelete)->isEnabled());
    QVERIFY(w.Get(kIdExit)->isEnabled());

    // A recreated status bar starts without a status text.
    w.window.SetStatusText(QStringLiteral("DPF Attach!!"));
    QCOMPARE(w.window.Status()->StatusText(), QStringLiteral("DPF Attach!!"));
    w.window.CreateStatusBar();
    QVERIFY(w.window.Status()->StatusText().isEmpty());

    // Named events reach their handler; unknown ones are dropped.
    long seen = -1;
    w.window.Events().On("FinishThread", [&](long wParam) { seen = wParam; });
    w.window.DeliverEvent(QStringLiteral("FinishThread"), 2);
    w.window.DeliverEvent(QStringLiteral("NoSuchEvent"), 9);
    QCOMPARE(seen, 2L);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
