// The browser over a real session and workbench on a simulated frame: what the list shows is
// what the preview loads and what Add, its advance and the batch take.
#include <QTest>
#include <filesystem>

#include "BrowserTestSupport.h"
#include "TempDir.h"
#include "album/FrameSession.h"
#include "browser/FolderBrowser.h"
#include "browser/FolderTreeCtrl.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "picture/Workbench.h"

namespace framewise {

namespace fs = std::filesystem;

class BrowserWorkbenchTest : public QObject {
    Q_OBJECT
  private slots:
    void listFeedsPreviewAddAndBatch() {
        test::TempDir dir;
        const fs::path image = dir / "frame.img";
        std::string error;
        QVERIFY2(CreateFrameImage(image, FrameImageOptions{}, error), error.c_str());
        RecordingFrontend frontend;
        FrameSession session(frontend);
        FrameSessionOptions options;
        options.workRoot = dir / "work";
        options.simulateImage = image;
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        QVERIFY2(session.Open(options, error), error.c_str());
        session.Simulated()->SetBusyPolls(0);
        QVERIFY(session.AttachAndRead());
        Workbench workbench(session, frontend);
        workbench.Attached();

        const fs::path folder = dir / "Desktop/trip";
        fs::create_directories(folder);
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            test::WriteJpeg(folder / name, test::Quarters(400, 300));

        QWidget window;
        auto* tree = new FolderTreeCtrl(&window);
        auto* list = new FolderPictureList(&window);  // takes the workbench's folder list below
        list->setGeometry(281, 6, 255, 222);
        tree->SetVolumeSource([] { return std::vector<Volume>{}; });
        tree->SetSpecialFolders(QString::fromStdString((dir / "Desktop").string()), {});
        tree->populateRoots();
        FolderBrowser browser(*tree, *list);
        browser.SetThumbFolder(session.Paths().thumbFolder);
        std::vector<bool> buttons;
        int runsEnded = 0;  // the run's end reached the window
        BrowserHooks hooks;
        hooks.enablePictureButtons = [&](bool on) { buttons.push_back(on); };
        hooks.setThumbnailRunActive = [&](bool on) {
            tree->setEnabled(!on);
            list->setEnabled(!on);
            runsEnded += !on;
        };
        browser.SetHooks(hooks);
        browser.UseWorkbench(workbench);
        window.show();

        tree->desktopItem()->setExpanded(true);
        tree->setCurrentItem(tree->desktopItem()->child(0));
        QVERIFY(QTest::qWaitFor([&] { return runsEnded == 1; }, 10000));
        QCOMPARE(list->count(), 3);
        PreviewCanvas& canvas = workbench.Canvas();
        auto click = [&](int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                              list->visualItemRect(list->item(row)).center());
        };

        click(0);
        QVERIFY(canvas.PictureLoaded());
        QCOMPARE(canvas.m_strSourcePath, (folder / "a.jpg").string());
        QCOMPARE(buttons.back(), true);

        // Add stores the picture and moves on: the list selects the next one, which the
        // preview then shows.
        QVERIFY(workbench.Adder().AddPicture());
        QCOMPARE(session.List().ItemCount(), 1);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(canvas.m_strSourcePath, (folder / "b.jpg").string());

        // Two selected: Add turns into a batch of exactly those two, and the list shows them
        // all selected as the batch runs.
        click(2, Qt::ControlModifier);
        QCOMPARE(buttons.back(), false);
        QVERIFY(!workbench.Adder().AddPicture());
        const std::vector<std::string> queue = workbench.Adder().AddQueue();
        QCOMPARE(queue.size(), size_t(2));
        QCOMPARE(queue[0], (folder / "b.jpg").string());
        QCOMPARE(queue[1], (folder / "c.jpg").string());
        QCOMPARE(list->selectedItems().size(), 3);

        // While a transfer runs a single click changes nothing.
        session.State().m_bReady = false;
        click(0);
        QCOMPARE(canvas.m_strSourcePath, (folder / "b.jpg").string());
    }
};

}  // namespace framewise

QTEST_MAIN(framewise::BrowserWorkbenchTest)
#include "BrowserWorkbenchTest.moc"
