// A picture of the folder browser as the window places it: the folder tree (275 x 222) and the
// folder picture list (255 x 222) side by side, a folder of photographs chosen and its
// thumbnails made, one picture clicked. For the documentation; the real widgets draw it.
//
// Usage: browser_shot HOME FOLDER OUT.png   (FOLDER a folder under HOME/Desktop)
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTest>

#include "browser/FolderBrowser.h"
#include "browser/FolderTreeCtrl.h"

using namespace framewise;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: browser_shot HOME FOLDER OUT.png\n");
        return 2;
    }
    const QString home = QDir(argv[1]).absolutePath();
    FolderSelection selection;
    QWidget window;
    window.setWindowTitle("Framewise");
    window.setFixedSize(540, 234);
    auto* tree = new FolderTreeCtrl(&window);
    auto* list = new FolderPictureList(selection, &window);
    tree->setObjectName("1025");
    list->setObjectName("1070");
    tree->setGeometry(2, 6, 275, 222);
    list->setGeometry(281, 6, 255, 222);
    tree->SetSpecialFolders(home + "/Desktop", home + "/Documents");
    tree->populateRoots();
    FolderBrowser browser(*tree, *list);
    bool running = false;
    BrowserHooks hooks;
    hooks.setThumbnailRunActive = [&](bool on) {
        running = on;
        tree->setEnabled(!on);
        list->setEnabled(!on);
    };
    browser.SetHooks(hooks);
    window.show();

    tree->myComputerItem()->setExpanded(true);
    tree->desktopItem()->setExpanded(true);
    QTreeWidgetItem* folder = nullptr;
    for (int i = 0; i < tree->desktopItem()->childCount(); ++i)
        if (tree->desktopItem()->child(i)->text(0) == argv[2])
            folder = tree->desktopItem()->child(i);
    if (!folder) return 1;
    tree->setCurrentItem(folder);
    if (!QTest::qWaitFor([&] { return running; }, 5000)) return 1;
    if (!QTest::qWaitFor([&] { return !running; }, 60000)) return 1;
    if (list->count() > 1) {
        list->scrollToTop();
        list->item(1)->setSelected(true);
    }
    tree->setFocus();
    QTest::qWait(200);
    return window.grab().save(argv[3]) ? 0 : 1;
}
