// The write plan and the restore in the real window against a simulated frame: the
// Synchronize tooltip carries the plan while something is to be written, the picture total's
// the flash budget, and "Restore frame from backup…" of the right-button menu brings back the
// album the frame held before a synchronize.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include "ProgramTestSupport.h"
#include "app/BackupChooser.h"
#include "app/PlanTooltips.h"
#include "transfer/FlashBackup.h"
#include "transfer/WritePlan.h"

namespace framewise::test {
namespace {

// Opens the right-button menu over the album list and answers its restore entry.
QAction* RestoreEntry(ProgramRun& run) {
    QWidget* list = run.List();
    const QPoint at = list->mapTo(&run.Window(), list->rect().center());
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, run.Window().mapToGlobal(at));
    QApplication::sendEvent(&run.Window(), &event);
    for (QMenu* menu : run.Window().findChildren<QMenu*>())
        if (auto* action = menu->findChild<QAction*>(QStringLiteral("restore"))) return action;
    return nullptr;
}

void CloseMenus(ProgramRun& run) {
    for (QMenu* menu : run.Window().findChildren<QMenu*>()) menu->close();
}

}  // namespace

class RestoreWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() { Dialogs::SetScripted(false); }
    void planTooltipAndRestoreOfThePreSynchronizeAlbum();
};

void RestoreWindowTest::planTooltipAndRestoreOfThePreSynchronizeAlbum() {
    TempDir dir;
    const auto image = dir / "frame.img";
    QVERIFY(MakeFrame(image, 5) > 0);
    ProgramRun run(dir / "run", image);
    QVERIFY(run.StartAndRead());
    QListWidget* list = run.List();
    QWidget* sync = run.Get(kIdSynchronize);
    const QString normal = Tr(run, "IDC_BUTTON_SENDTIPS", "Synchronize");

    // Nothing to write: the normal tooltip; the budget under the picture total.
    QCOMPARE(sync->toolTip(), normal);
    const QString budget = run.Get(kIdPictureTotal)->toolTip();
    QVERIFY2(budget.contains(QStringLiteral("more pictures fit")), qPrintable(budget));

    // No backup yet: the restore says so and changes nothing.
    QAction* restore = RestoreEntry(run);
    QVERIFY(restore);
    QCOMPARE(restore->text(), Tr(run, "RESTORE_MENU", "Restore frame from backup…"));
    QVERIFY(restore->isEnabled());
    restore->trigger();
    CloseMenus(run);
    QVERIFY(Dialogs::TakeShown().last().endsWith(
        Tr(run, "RESTORE_NONE_TIPS", "There is no backup of this frame yet.")));

    // Delete picture 2: the tooltip carries the plan the synchronize will follow.
    list->clearSelection();
    list->item(1)->setSelected(true);
    QTRY_COMPARE(run.Session().List().SelectedIndices(), std::vector<int>{1});
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    QTRY_VERIFY(ShowsColours(list, {1, 3, 4, 5}));
    const WritePlan plan = PlanSynchronize(run.Session().Connection(), 4,
                                           run.Session().GetSynchronizer().BackupRoot());
    QCOMPARE(plan.BlocksWritten(), 1);
    QCOMPARE(sync->toolTip(),
             normal + QLatin1Char('\n') + PlanLine(run.Session().GetLanguage(), plan));
    QVERIFY(sync->toolTip().contains(QStringLiteral("1 block, 0 pictures moved, ≈ 1 s")));
    QVERIFY(run.Get(kIdPictureTotal)->toolTip() != budget);

    // Synchronize: the frame holds 4 pictures, a backup of its 5 is kept; nothing left to write.
    QTest::mouseClick(sync, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!run.Session().State().m_bModified && run.ReadEnded(), 20000);
    QTRY_COMPARE(sync->toolTip(), normal);
    Dialogs::TakeShown();

    // Restore from the window: the backups listed newest first with their picture counts, a
    // Yes/No question, the restore on the worker, then the album read again.
    BackupChooser::SetNextChoice(0);
    Dialogs::SetNextAnswer(QMessageBox::Yes);
    restore = RestoreEntry(run);
    QVERIFY(restore && restore->isEnabled());
    restore->trigger();
    CloseMenus(run);
    QTRY_VERIFY_WITH_TIMEOUT(run.Session().LastRestore().ran && run.ReadEnded() &&
                                 run.Session().State().m_bAlbumRead,
                             20000);
    QVERIFY(run.Session().LastRestore().restored);
    QTRY_VERIFY(ShowsColours(list, {1, 2, 3, 4, 5}));
    QVERIFY(!run.Session().State().m_bModified);
    QVERIFY(run.Get(kIdDelete)->isEnabled());
    const QStringList shown = Dialogs::TakeShown();
    QVERIFY2(shown.size() >= 3, qPrintable(shown.join(QLatin1Char('\n'))));
    QVERIFY(shown[0].endsWith(Tr(run, "RESTORE_LIST_TIPS", "Backups of this frame, newest first:")));
    QVERIFY(shown[1].contains(QStringLiteral("back into the frame?")));
    const auto entries = ListBackupsNewestFirst(run.Session());
    QCOMPARE(entries.size(), size_t{1});
    QCOMPARE(entries[0].pictures, 5);
    QVERIFY(shown[1].contains(entries[0].when));
    QVERIFY(shown[2].contains(QStringLiteral("The backup is back in the frame (")));
}

}  // namespace framewise::test

QTEST_MAIN(framewise::test::RestoreWindowTest)
#include "RestoreWindowTest.moc"
