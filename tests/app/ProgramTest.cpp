// The program as a user runs it, on the offscreen platform against a simulated frame: the
// start-up reads the frame's album into the list, the album commands and Synchronize change
// the frame as a fresh start then shows, a language switch re-captions the window, a drop
// becomes a batch.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>

#include "FileBytes.h"
#include "ProgramTestSupport.h"
#include "app/AlbumListView.h"
#include "album/AlbumCommands.h"
#include "app/ControlFactory.h"
#include "config/RecordingFrontend.h"
#include "config/ProfileFile.h"
#include "picture/Workbench.h"
#include "transfer/SyncJournal.h"

using namespace framewise;
using namespace framewise::test;

namespace {

QString Title(ProgramRun& run) {
    return run.Window().windowTitle() + QLatin1Char('|');
}

void ClickItem(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

// A run without a window over image that deletes the album's first picture and synchronizes,
// the frame pulled out at command cutAt of the run (0: never). Answers the run's commands.
uint64_t DeleteFirstAndSynchronize(const std::filesystem::path& dir,
                                   const std::filesystem::path& image, uint64_t cutAt) {
    RecordingFrontend fe;
    FrameSession session(fe);
    FrameSessionOptions options;
    std::filesystem::create_directories(dir);
    options.workRoot = dir / "core-work";
    options.simulateImage = image;
    options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
    options.backupRoot = dir / "backups";
    std::string error;
    if (!session.Open(options, error)) return 0;
    if (cutAt > 0) session.Simulated()->InjectFault(SimFault::Unplug, cutAt);
    if (!session.AttachAndRead()) return 0;
    AlbumCommands commands(session.Folder(), session.List(), session.Connection().Model(),
                           session.State(), fe, session.GetLanguage(), [](int) {});
    session.List().SetItemSelected(0, true);
    if (!commands.DeleteSelected().deleted) return 0;
    if (session.Synchronize() == (cutAt > 0)) return 0;
    if (cutAt > 0) SetImagePlugged(image, true, error);
    return session.Simulated()->TotalCommands();
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() { Dialogs::SetScripted(false); }
    void startupReadsTheAlbumIntoTheList();
    void albumCommandsAndSynchronizeReachTheFrame();
    void languageSwitchAndMissingMenuKeys();
    void dropOf200FilesBecomesABatchOf125();
    void aSynchronizeCutShortIsOfferedAndPutBack();
};

void ProgramTest::startupReadsTheAlbumIntoTheList() {
    TempDir dir;
    const auto image = dir / "frame.img";
    const int bytes = MakeFrame(image, 5);
    QVERIFY(bytes > 0);
    ProgramRun run(dir.path(), image);
    QListWidget* list = run.List();
    // Which of the list's rows arrived while the read was still running.
    std::vector<bool> readingAtInsert;
    connect(list->model(), &QAbstractItemModel::rowsInserted, this,
            [&] { readingAtInsert.push_back(run.Session().State().m_bReading); });
    QCOMPARE(run.program->Start(), std::nullopt);
    // At the pace of a USB full-speed frame, so that the list can be seen growing.
    run.Session().Simulated()->SetLinkModel(SimulatedFrame::UsbFullSpeed());
    QVERIFY(QTest::qWaitFor([&] { return run.ReadEnded(); }, 20000));

    QCOMPARE(run.Window().windowTitle(), QStringLiteral("Framewise - simulated frame"));
    QVERIFY(factory::ShowsConnected(run.Get(kIdConnection)));
    QVERIFY(!run.Get<QAbstractButton>(kIdMoveUp)->icon().isNull());
    QVERIFY(!run.Get<QAbstractButton>(kIdZoomIn)->icon().isNull());

    // The five pictures, in the frame's order, each at its place of a three-column grid of
    // 64 x 64 thumbnails (the shipped ThumbWidth and ThumbColumn).
    QCOMPARE(list->count(), 5);
    QVERIFY(std::count(readingAtInsert.begin(), readingAtInsert.end(), true) >= 2);
    QVERIFY(ShowsColours(list, {1, 2, 3, 4, 5}));
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(list->item(row)->text(),
                 QStringLiteral("%1.bmp").arg(row + 1, 4, 10, QLatin1Char('0')));
        QCOMPARE(list->visualItemRect(list->item(row)).topLeft(),
                 QPoint((row % 3) * (64 + 6), (row / 3) * (64 + 21)));
    }
    // The total in three lines, the bytes counted from the streams themselves.
    const int usedKb = (bytes + 1023) / 1024 + 4 + 192;
    QCOMPARE(run.Total(), Tr(run, "IDC_STATIC_HIDSTATUS", "Total Pictures") +
                              QStringLiteral(":\n 5 \n(%1 KB / 2048 KB)").arg(usedKb));
    QCOMPARE(run.Status(), Tr(run, "READFINISH_TIPS", "Reading Finished!"));
    // The shipped ProgressCtrl is "OFF": the bar is gone again.
    QVERIFY(!run.Get(kIdProgress)->isVisible());
    // Ready: the album side's controls are on, the last picture selected and current.
    QVERIFY(run.Get(kIdDelete)->isEnabled());
    QVERIFY(run.Get(kIdSynchronize)->isEnabled());
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->currentRow(), 4);

    // The selection both ways: a click reaches the model, the model's Select All the list.
    AlbumListModel& model = run.Session().List();
    ClickItem(list, 1);
    QTRY_COMPARE(model.SelectedIndices(), std::vector<int>{1});
    QCOMPARE(model.FocusedItem(), 1);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTRY_COMPARE(list->selectedItems().size(), 5);
    QCOMPARE(model.SelectedCount(), 5);
    // Nothing echoes back and forth: once settled, the list is not brought up again.
    QTest::qWait(50);
    const int syncs = run.program->AlbumView().SyncCount();
    QTest::qWait(100);
    QCOMPARE(run.program->AlbumView().SyncCount(), syncs);
}

void ProgramTest::albumCommandsAndSynchronizeReachTheFrame() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    {
        ProgramRun run(dir / "first", image);
        QVERIFY(run.StartAndRead());
        QListWidget* list = run.List();
        const QString title = Title(run);

        // Delete with nothing selected says so; Delete of picture 2 asks first.
        list->clearSelection();
        QTRY_COMPARE(run.Session().List().SelectedCount(), 0);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(Dialogs::TakeShown(),
                 QStringList{title + Tr(run, "DELETE_TIPS_1",
                                        "Please select at least a pic before you delete it!")});
        ClickItem(list, 1);
        QTRY_COMPARE(run.Session().List().SelectedIndices(), std::vector<int>{1});
        Dialogs::SetNextAnswer(QMessageBox::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(Dialogs::TakeShown(),
                 QStringList{title + Tr(run, "DELETE_TIPS_2", "Delete the selected photo(s)?")});
        QTRY_VERIFY(ShowsColours(list, {1, 3, 4, 5}));
        QVERIFY(run.Total().contains(QStringLiteral(":\n 4 \n")));

        // Down on the first picture, Up on the last.
        ClickItem(list, 0);
        QTRY_COMPARE(run.Session().List().SelectedIndices(), std::vector<int>{0});
        QTest::mouseClick(run.Get(kIdMoveDown), Qt::LeftButton);
        QTRY_VERIFY(ShowsColours(list, {3, 1, 4, 5}));
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->row(list->selectedItems().first()), 1);
        QVERIFY(run.Get(kIdMoveDown)->isEnabled());
        ClickItem(list, 3);
        QTRY_COMPARE(run.Session().List().SelectedIndices(), std::vector<int>{3});
        QTest::mouseClick(run.Get(kIdMoveUp), Qt::LeftButton);
        QTRY_VERIFY(ShowsColours(list, {3, 1, 5, 4}));
        QVERIFY(run.Session().State().m_bModified);

        // Save of the one picture selected, under a name typed without an extension with the
        // JPG type chosen: a JFIF file of that name with the extension added.
        const auto typed = dir / "cover";
        Dialogs::SetNextSaveFile(QString::fromStdString(typed.string()),
                                 QStringLiteral("jpg files (*.jpg *.JPG)"));
        QTest::mouseClick(run.Get(kIdSave), Qt::LeftButton);
        const std::vector<uint8_t> jfif = FileBytes(dir / "cover.jpg");
        QVERIFY(jfif.size() > 4 && jfif[0] == 0xFF && jfif[1] == 0xD8 && jfif[2] == 0xFF);
        QImage cover;
        QVERIFY(cover.load(QString::fromStdString((dir / "cover.jpg").string())));
        QVERIFY(Near(cover.pixelColor(64, 64), PictureColour(5), 16));  // the one moved up

        // Select All, then Save All as BMP files: the album files themselves.
        QTest::mouseClick(run.Get(kIdSelectAll), Qt::LeftButton);
        QTRY_COMPARE(list->selectedItems().size(), 4);
        const auto saved = dir / "saved";
        std::filesystem::create_directory(saved);
        Dialogs::SetNextAnswer(QMessageBox::Yes);
        Dialogs::SetNextFolder(QString::fromStdString(saved.string()));
        QTest::mouseClick(run.Get(kIdSaveAll), Qt::LeftButton);
        QVERIFY(Dialogs::TakeShown().contains(
            title + Tr(run, "SAVEPICFINISH_TIPS", "All pics were saved!")));
        for (int n = 1; n <= 4; ++n) {
            char name[16];
            std::snprintf(name, sizeof name, "%04d.bmp", n);
            QVERIFY(!FileBytes(saved / name).empty());
            QVERIFY(FileBytes(saved / name) == FileBytes(run.Session().Folder().FilePath(n)));
        }

        // Synchronize (Ctrl+S): the progress bar shows while it runs; the window is ready again
        // after it, nothing left to write.
        QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!run.Get(kIdDelete)->isEnabled());
        QVERIFY(run.Get(kIdProgress)->isVisibleTo(&run.Window()));
        QTRY_VERIFY_WITH_TIMEOUT(!run.Session().State().m_bModified && run.ReadEnded(), 20000);
        QTRY_COMPARE(run.Status(), Tr(run, "DOWNFINISH_TIPS", "Finished!"));
        QVERIFY(run.Get(kIdDelete)->isEnabled());
        QVERIFY(!run.Get(kIdProgress)->isVisibleTo(&run.Window()));
        QVERIFY(ShowsColours(list, {3, 1, 5, 4}));
    }
    // A fresh start reads what the frame now holds.
    ProgramRun fresh(dir / "second", image);
    QVERIFY(fresh.StartAndRead());
    QVERIFY(fresh.Session().State().m_bAlbumRead);
    QVERIFY(ShowsColours(fresh.List(), {3, 1, 5, 4}));
}

void ProgramTest::languageSwitchAndMissingMenuKeys() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 2) > 0);
    {
        ProgramRun run(dir / "switch", image);
        QVERIFY(run.StartAndRead());
        const QString englishTotal = run.Total();
        Language& language = run.Session().GetLanguage();
        const std::vector<std::string> names = language.Languages();
        const int german =
            static_cast<int>(std::find(names.begin(), names.end(), "German") - names.begin());
        QVERIFY(german < language.LanguageCount());

        // The right-button menu, its language list, the German entry.
        const QPoint at(300, 580);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, run.Window().mapToGlobal(at));
        QApplication::sendEvent(&run.Window(), &click);
        QMenu* popup = nullptr;
        QTRY_VERIFY((popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        popup->actions().first()->menu()->actions().at(german)->trigger();
        popup->close();

        QCOMPARE(language.LangIndex(), german);
        const auto tr = [&](const char* key) { return Tr(run, key, "?"); };
        QCOMPARE(run.Get<QAbstractButton>(kIdDelete)->text(), tr("IDC_BUTTON_DELECT"));
        QCOMPARE(run.Get<QAbstractButton>(kIdRotateRight)->text(), tr("IDC_BUTTON_CHANGE"));
        QCOMPARE(run.Get(kIdDelete)->toolTip(), tr("IDC_BUTTON_DELECTTIPS"));
        QCOMPARE(run.Get(kIdMoveUp)->toolTip(), tr("IDC_BUTTON_UPPERTIPS"));
        QVERIFY(tr("IDC_BUTTON_DELECTTIPS") != QStringLiteral("Delete"));
        // The folder tree's roots are captioned again; the quality label keeps its number.
        QCOMPARE(run.Get<QTreeWidget>(kIdFolderTree)->topLevelItem(0)->text(0),
                 Tr(run, "MY_COMPUTER", "My Computer"));
        const int quality = run.program->Bench().Adder().JpgQuality();
        QVERIFY(run.Get<QLabel>(kIdQualityLabel)->text().endsWith(
            QLatin1Char(':') + QString::number(quality)));
        // The total is written again, in German, with the same numbers.
        QVERIFY(run.Total().startsWith(tr("IDC_STATIC_HIDSTATUS") + QLatin1Char(':')));
        QCOMPARE(run.Total().section(QLatin1Char('\n'), 1),
                 englishTotal.section(QLatin1Char('\n'), 1));
    }

    // A language file whose first language lacks SUBMENU_2: each of the two reports comes
    // once, the menu built up to the missing entry.
    const auto data = dir / "data";
    std::filesystem::create_directory(data);
    const auto shipped = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
    for (const char* file : {"StartInfoUnicode.ini", "LanguageUnicode.ini"})
        std::filesystem::copy_file(shipped / file, data / file);
    const std::string first =
        ReadProfileString(data / "LanguageUnicode.ini", "Language", "Lan_1", "");
    QVERIFY(WriteProfileString(data / "LanguageUnicode.ini", first, "SUBMENU_2", ""));
    AppOptions options;
    options.dataFolder = data;
    ProgramRun broken(dir / "broken", image, options);
    QVERIFY(broken.StartAndRead());
    // Said while the session opens, before the window has its title.
    const QStringList shown = Dialogs::TakeShown();
    QCOMPARE(
        shown.filter(QStringLiteral("SUBMENU_2")),
        (QStringList{"Framewise|Item SUBMENU_2 is not exist in LanguageUnicode.ini file!",
                     "Framewise|Item SUBMENU_2 is not exist in the LanguageUnicode.ini file."}));
    QCOMPARE(broken.Window().Menu().Entries().size(), size_t(1));
}

void ProgramTest::dropOf200FilesBecomesABatchOf125() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    ProgramRun run(dir / "run", image);
    QVERIFY(run.StartAndRead());

    const auto photos = dir / "photos";
    std::filesystem::create_directory(photos);
    QList<QUrl> urls;
    for (int i = 0; i < 200; ++i) {
        QImage picture(96, 64, QImage::Format_RGB32);
        picture.fill(PictureColour(i + 1));
        const auto path = photos / ("IMG_" + std::to_string(1000 + i) + ".BMP");
        QVERIFY(picture.save(QString::fromStdString(path.string()), "BMP"));
        urls << QUrl::fromLocalFile(QString::fromStdString(path.string()));
    }
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.Window(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.Window(), &drop);

    // The first 125 files, named as they are (upper-case extension), make the batch; the
    // album side is off while it runs.
    const std::vector<std::string> queue = run.program->Bench().Adder().AddQueue();
    QCOMPARE(queue.size(), size_t(125));
    QCOMPARE(queue.front(), (photos / "IMG_1000.BMP").string());
    QCOMPARE(queue.back(), (photos / "IMG_1124.BMP").string());
    QVERIFY(run.Session().State().m_bBatchAdding);
    QVERIFY(!run.Get(kIdDelete)->isEnabled());
    QVERIFY(run.Get(kIdExit)->isEnabled());
    // A close request is ignored while the batch runs.
    run.Window().close();
    QVERIFY(Dialogs::TakeShown().isEmpty());

    // Everything comes back but zoom and rotate, which wait for a folder picture's click.
    ControlEnabling afterBatch;
    afterBatch.Set(DisableReason::PictureTools, true);
    QTRY_VERIFY_WITH_TIMEOUT(!run.Session().State().m_bBatchAdding &&
                                 run.Window().Enabling().States() == afterBatch.States(),
                             120000);
    QTRY_COMPARE(run.List()->count(), 130);
    QVERIFY(run.Session().State().m_bModified);
    QVERIFY(run.Total().contains(QStringLiteral(":\n 130 \n")));
    QVERIFY(Near(ThumbnailCentre(run.List(), 5), PictureColour(1)));
    QVERIFY(Near(ThumbnailCentre(run.List(), 129), PictureColour(125)));
}

QTEST_MAIN(ProgramTest)
// A synchronize cut short after the index block was erased leaves the frame looking empty and a
// journal beside its backups: the window's start says so in one Yes/No box, asked on the
// window's thread although the read's worker makes the offer, and Yes puts the album from
// before the synchronize back into the frame before it is read into the list.
void ProgramTest::aSynchronizeCutShortIsOfferedAndPutBack() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    const auto original = FileBytes(image);
    // The run's commands counted on a copy: the index block's program is the second last.
    std::filesystem::copy_file(image, dir / "count.img");
    const uint64_t commands = DeleteFirstAndSynchronize(dir / "count", dir / "count.img", 0);
    QVERIFY(commands > 10);
    QVERIFY(DeleteFirstAndSynchronize(dir.path(), image, commands - 1) > 0);
    const auto cut = FileBytes(image);
    QCOMPARE(cut[0x30000], uint8_t{0xFF});  // the index block erased: the frame looks empty

    ProgramRun run(dir.path(), image);
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    QVERIFY(run.StartAndRead());
    const QStringList shown = Dialogs::TakeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(Title(run) +
                                 "The last synchronize of this frame did not finish"),
             qPrintable(shown[0]));
    QVERIFY(shown[0].contains(QStringLiteral(", 5 pictures)")));
    QCOMPARE(run.Session().LastRecovery(), RecoveryOutcome::Restored);
    // The album from before the synchronize, in the list and in the frame's album blocks.
    QVERIFY(ShowsColours(run.List(), {1, 2, 3, 4, 5}));
    const auto restored = FileBytes(image);
    QVERIFY(std::equal(original.begin() + 0x30000, original.begin() + 0x40000,
                       restored.begin() + 0x30000));
    QVERIFY(!ReadSyncJournal(dir / "backups", run.Session().Connection().Info()));
}

#include "ProgramTest.moc"
