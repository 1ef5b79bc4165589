// The folder tree, the folder picture list and the thumbnail run driven as the window drives
// them, with the window's hooks and the wait box recorded.
#include <QImageReader>
#include <QTest>
#include <QTreeWidgetItem>
#include <filesystem>
#include <fstream>

#include "BrowserTestSupport.h"
#include "TempDir.h"
#include "browser/FolderBrowser.h"
#include "browser/FolderPictureNames.h"
#include "browser/FolderTreeCtrl.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

class RecordingBox : public WaitBoxView {
  public:
    RecordingBox(int& open, std::vector<QString>& texts) : m_open(open), m_texts(texts) {
        ++m_open;
    }
    ~RecordingBox() override { --m_open; }
    void SetText(const QString& text) override { m_texts.push_back(text); }

  private:
    int& m_open;
    std::vector<QString>& m_texts;
};

// A browser in a window over a Desktop and a Documents folder of a temporary home.
struct Rig {
    test::TempDir home;
    FolderSelection selection;
    QWidget window;
    FolderTreeCtrl* tree = new FolderTreeCtrl(&window);
    FolderPictureList* list = new FolderPictureList(selection, &window);
    FolderBrowser browser{*tree, *list};
    std::vector<bool> runActive;
    std::vector<std::string> shown;
    std::vector<QString> waitTexts;
    int boxesOpen = 0;
    int invalidations = 0;
    int previewClears = 0;

    Rig() {
        fs::create_directories(home / "Desktop");
        tree->SetVolumeSource([this] {
            return std::vector<Volume>{{"/", "/"}, {Path("Desktop"), "Data (desktop)"}};
        });
        tree->SetSpecialFolders(Path("Desktop"), Path("Documents"));
        tree->populateRoots();
        tree->setGeometry(2, 6, 275, 222);
        list->setGeometry(281, 6, 255, 222);
        browser.SetThumbFolder(home / "SourceFile");
        BrowserHooks hooks;
        hooks.setThumbnailRunActive = [this](bool on) { runActive.push_back(on); };
        hooks.clearPreviewPicture = [this] { ++previewClears; };
        hooks.invalidatePreview = [this] { ++invalidations; };
        hooks.showFolderPicture = [this](const std::string& path) {
            shown.push_back(path);
            return true;
        };
        browser.SetHooks(hooks);
        browser.SetWaitBoxFactory(
            [this](QWidget*) { return std::make_unique<RecordingBox>(boxesOpen, waitTexts); });
        window.resize(560, 240);
        window.show();
    }

    QString Path(const std::string& relative) const {
        return QString::fromStdString((home / relative).string());
    }

    // A folder on the Desktop with pictures (coloured by their place) and other files.
    void MakeFolder(const std::string& name, const std::vector<std::string>& pictures,
                    int width = 120, int height = 90) {
        fs::create_directories(home / "Desktop" / name);
        int k = 0;
        for (const std::string& picture : pictures) {
            const fs::path file = home / "Desktop" / name / picture;
            const std::string type = picture.substr(picture.size() - 3);
            if (type == "gif") {  // Qt writes no GIF: one red pixel, by hand
                test::WriteBytes(file, QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\x00"
                                                  "\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00"
                                                  "\x01\x00\x00\x02\x02\x44\x01\x00;",
                                                  35));
                continue;
            }
            QImage image(width, height, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((k++ * 47) % 360, 200, 200));
            QImageWriter writer(QString::fromStdString(file.string()),
                                type == "bmp" ? "bmp" : "jpeg");
            writer.write(image);
        }
    }

    QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
        if (!parent->isExpanded()) parent->setExpanded(true);
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == text) return parent->child(i);
        return nullptr;
    }

    // Selects a Desktop folder and waits for its run to end.
    bool Select(const QString& folder) {
        QTreeWidgetItem* item = Child(tree->desktopItem(), folder);
        if (!item) return false;
        tree->setCurrentItem(item);
        return RunEnds();
    }

    // Waits for the end of the run started since the last wait.
    bool RunEnds() {
        const bool ended = QTest::qWaitFor(
            [this] {
                return !browser.RunActive() &&
                       std::count(runActive.begin(), runActive.end(), false) > endsSeen;
            },
            10000);
        endsSeen = int(std::count(runActive.begin(), runActive.end(), false));
        return ended;
    }
    int endsSeen = 0;

    void ClickItem(int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

QStringList Texts(const std::vector<std::string>& texts) {
    QStringList out;
    for (const std::string& t : texts) out << QString::fromStdString(t);
    return out;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT
  private slots:
    void listingRuleProgressAndRebuild() {
        Rig rig;
        rig.MakeFolder("mixed",
                       {"a.JPG", "b.jpeg", "c.gif", "d.png", "e.bmp", "x.jpg.txt", ".hidden.jpg"});
        fs::create_directory(rig.home / "Desktop/mixed/sub.jpg");
        QVERIFY(rig.Select("mixed"));
        const std::vector<std::string> expected = {"a.JPG", "b.jpeg", "c.gif", "e.bmp"};
        QCOMPARE(Texts(rig.list->ItemTexts()), Texts(expected));
        QCOMPARE(Texts(rig.selection.items), Texts(expected));
        QCOMPARE(rig.selection.m_strFolderPrefix, (rig.home / "Desktop/mixed/").string());
        QCOMPARE(rig.waitTexts,
                 (std::vector<QString>{"Loading 0%", "Loading 25%", "Loading 50%", "Loading 75%"}));
        QCOMPARE(rig.boxesOpen, 0);
        QCOMPARE(rig.runActive, (std::vector<bool>{true, false}));
        QVERIFY(rig.invalidations >= 1 && rig.previewClears >= 1);
        QCOMPARE(rig.list->currentRow(), 3);  // the newest item focused, none selected
        QVERIFY(rig.list->selectedItems().isEmpty());
        // Each thumbnail file keeps its picture's name and holds the framed BMP.
        QCOMPARE(Texts(FilesIn(rig.home / "SourceFile")), Texts(expected));
        QImageReader thumb(QString::fromStdString((rig.home / "SourceFile/c.gif").string()));
        thumb.setDecideFormatFromContent(true);
        QCOMPARE(thumb.format(), QByteArray("bmp"));
        QCOMPARE(thumb.size(), QSize(50, 50));

        // The same folder again is listed afresh.
        rig.MakeFolder("mixed", {"f.jpg"});
        rig.browser.OnFolderSelected();
        QVERIFY(rig.RunEnds());
        QCOMPARE(rig.list->count(), 5);
        QCOMPARE(rig.selection.items.size(), size_t(5));

        QVERIFY(IsFolderPictureName("jpeg"));  // four characters or fewer: compared whole
        QVERIFY(!IsFolderPictureName("gif"));
        QVERIFY(IsFolderPictureName("Frame.DPF"));
    }

    void undecodablePictureClosesTheGap() {
        Rig rig;
        rig.MakeFolder("gap", {"a.jpg", "c.jpg"});
        test::WriteBytes(rig.home / "Desktop/gap/b.jpg", QByteArray("\xFF\xD8 not really"));
        QVERIFY(rig.Select("gap"));
        QCOMPARE(Texts(rig.list->ItemTexts()), Texts((std::vector<std::string>{"a.jpg", "c.jpg"})));
        QCOMPARE(rig.list->ItemPosition(0), QPoint(0, 0));
        QCOMPARE(rig.list->ItemPosition(1), QPoint(48 + 35, 0));
    }

    void gridFollowsTheThumbnailGeometry() {
        Rig rig;
        rig.MakeFolder("four", {"1.jpg", "2.jpg", "3.jpg", "4.jpg"});
        rig.browser.SetThumbnailGeometry(64, 2);
        QVERIFY(rig.Select("four"));
        QCOMPARE(rig.list->ItemPosition(1), QPoint(99, 0));
        QCOMPARE(rig.list->ItemPosition(2), QPoint(0, 124));
        QCOMPARE(rig.list->ItemPosition(3), QPoint(99, 124));
        QCOMPARE(rig.list->iconSize(), QSize(64, 64));
        // Zero columns would divide by zero; a zero side is the shipped default.
        rig.browser.SetThumbnailGeometry(0, 0);
        rig.browser.OnFolderSelected();
        QVERIFY(rig.RunEnds());
        QCOMPARE(rig.list->ItemPosition(1), QPoint(0, 48 + 60));
        QCOMPARE(rig.list->ItemPosition(3), QPoint(0, 3 * (48 + 60)));
    }

    void secondRunDuringFirstLeavesOneConsistentList() {
        Rig rig;
        std::vector<std::string> many;
        for (int i = 0; i < 40; ++i) many.push_back("many" + std::to_string(100 + i) + ".jpg");
        rig.MakeFolder("many", many, 1600, 1200);
        rig.MakeFolder("few", {"f1.jpg", "f2.jpg", "f3.jpg"});
        rig.tree->setCurrentItem(rig.Child(rig.tree->desktopItem(), "many"));
        QVERIFY(QTest::qWaitFor([&] { return rig.browser.ThumbCount() >= 2; }, 10000));
        QVERIFY(rig.browser.RunActive());
        rig.tree->setCurrentItem(rig.Child(rig.tree->desktopItem(), "few"));
        QVERIFY(rig.RunEnds());
        QTest::qWait(50);  // anything the first run still had in flight arrives now
        const std::vector<std::string> few = {"f1.jpg", "f2.jpg", "f3.jpg"};
        QCOMPARE(Texts(rig.list->ItemTexts()), Texts(few));
        QCOMPARE(Texts(rig.selection.items), Texts(few));
        QCOMPARE(Texts(FilesIn(rig.home / "SourceFile")), Texts(few));
        QCOMPARE(rig.boxesOpen, 0);
        QCOMPARE(rig.runActive.back(), false);
    }

    void treeExpandsLazilyAndForgets() {
        Rig rig;
        for (const char* folder : {"Alpha", "beta", "Gamma/inner", ".hidden"})
            fs::create_directories(rig.home / "Desktop" / folder);
        rig.MakeFolder("beta", {"p.jpg"});
        FolderTreeCtrl& tree = *rig.tree;
        QCOMPARE(tree.topLevelItemCount(), 3);
        QCOMPARE(tree.myComputerItem()->text(0), QString("My Computer"));
        QCOMPARE(tree.documentsItem()->text(0), QString("My Document"));
        for (QTreeWidgetItem* root :
             {tree.myComputerItem(), tree.desktopItem(), tree.documentsItem()}) {
            QCOMPARE(root->childCount(), 1);  // the placeholder
            QVERIFY(root->child(0)->text(0).isEmpty());
        }
        QCOMPARE(tree.itemPath(tree.myComputerItem()), std::string());
        QCOMPARE(tree.itemPath(tree.desktopItem()), (rig.home / "Desktop").string());

        tree.myComputerItem()->setExpanded(true);
        QCOMPARE(tree.myComputerItem()->childCount(), 2);
        QCOMPARE(tree.myComputerItem()->child(1)->text(0), QString("Data (desktop)"));
        QCOMPARE(tree.itemPath(tree.myComputerItem()->child(0)), std::string("/"));

        QTreeWidgetItem* desktop = tree.desktopItem();
        desktop->setExpanded(true);
        QStringList names;
        for (int i = 0; i < desktop->childCount(); ++i) names << desktop->child(i)->text(0);
        QCOMPARE(names, (QStringList{"Alpha", "beta", "Gamma"}));
        QTreeWidgetItem* alpha = desktop->child(0);
        QCOMPARE(alpha->childCount(), 1);  // a button until it is first expanded
        alpha->setExpanded(true);
        QCOMPARE(alpha->childCount(), 0);
        QCOMPARE(tree.itemPath(alpha), (rig.home / "Desktop/Alpha").string());

        // A right click neither selects nor opens anything.
        tree.setCurrentItem(alpha);
        const QRect gamma = tree.visualItemRect(desktop->child(2));
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, gamma.center());
        QCOMPARE(tree.currentItem(), alpha);
        QVERIFY(!desktop->child(2)->isExpanded());

        // Expanding a folder with pictures that is not the selected one lists its pictures,
        // and their paths lead to the expanded folder.
        desktop->child(1)->setExpanded(true);
        QVERIFY(rig.RunEnds());
        QCOMPARE(Texts(rig.list->ItemTexts()), Texts(std::vector<std::string>{"p.jpg"}));
        rig.ClickItem(0);
        QVERIFY(!rig.shown.empty());
        QVERIFY(fs::is_regular_file(rig.shown.back()));

        // A collapse forgets the subtree; expanding again reads the folder afresh.
        desktop->setExpanded(false);
        QCOMPARE(desktop->childCount(), 1);
        fs::create_directory(rig.home / "Desktop/Delta");
        desktop->setExpanded(true);
        QCOMPARE(desktop->childCount(), 4);
        // A folder that is not there simply has no children.
        tree.documentsItem()->setExpanded(true);
        QCOMPARE(tree.documentsItem()->childCount(), 0);

        // My Computer lists the volumes a user would open, not the system's plumbing.
        QVERIFY(IsUserVolume("/", "overlay", true));
        QVERIFY(IsUserVolume("/run/media/anna/USB", "exfat", true));
        QVERIFY(!IsUserVolume("/run/user/1000", "tmpfs", true));
        QVERIFY(!IsUserVolume("/boot/efi", "vfat", true));
        QVERIFY(!IsUserVolume("/etc/hosts", "ext4", false));
    }
};

}  // namespace framewise

QTEST_MAIN(framewise::FolderBrowserTest)
#include "FolderBrowserTest.moc"
