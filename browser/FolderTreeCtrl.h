// The folder tree (control 1025): My Computer with the mounted volumes, Desktop and Documents,
// and below them the folders of the file system, read when an item is expanded.
#pragma once

#include <QFileIconProvider>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace framewise {

// A mounted volume as My Computer lists it.
struct Volume {
    QString rootPath;
    QString displayName;
};

// Whether a mount is one a user would open: the root file system, and every mount of a real
// or network file system that is not part of the running system's own plumbing (/proc, /sys,
// /dev, /run except removable media under /run/media, /boot, /snap, container bind mounts of
// single files).
bool IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType, bool isDirectory);

// The mounted volumes a user would open, in mount-point order, named "label (mount point)" or
// by the mount point alone.
std::vector<Volume> UserVolumes();

class FolderTreeCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    using VolumeSource = std::function<std::vector<Volume>()>;

    explicit FolderTreeCtrl(QWidget* parent = nullptr);

    // Where My Computer's volumes and the two folder roots come from (tests set their own);
    // takes effect at the next populateRoots.
    void SetVolumeSource(VolumeSource source) { m_volumeSource = std::move(source); }
    void SetSpecialFolders(QString desktopPath, QString documentsPath);

    // Builds the three roots afresh, each collapsed with a placeholder child.
    void populateRoots();
    // The captions of the three roots (MY_COMPUTER, DESK_TOP, MY_DOCUMENT of the language).
    void SetRootCaptions(const QString& myComputer, const QString& desktop,
                         const QString& documents);

    // Rebuilds the children of an expanded item; for a folder, gathers its pictures too.
    void expandFolder(QTreeWidgetItem* item);
    // Deletes every child of item; with addPlaceholder an empty child follows, so the item
    // shows an expand button again.
    void removeChildren(QTreeWidgetItem* item, bool addPlaceholder);
    // Appends an item for a folder under parent, its text the folder's name (or text when
    // given), its icon from the file icon provider.
    QTreeWidgetItem* insertShellItem(const QString& path, QTreeWidgetItem* parent,
                                     bool withPlaceholder, const QString& text = {});

    // The folder an item stands for, as "/a/b": never with a "/" after it except the root
    // folder "/" itself, so one folder always has one path whatever its items' state. Empty
    // for My Computer, a null item and an item with empty text (a placeholder).
    std::string itemPath(const QTreeWidgetItem* item) const;

    QTreeWidgetItem* myComputerItem() const { return m_myComputerItem; }
    QTreeWidgetItem* desktopItem() const { return m_desktopItem; }
    QTreeWidgetItem* documentsItem() const { return m_documentsItem; }
    // The folder expanded last.
    const std::string& currentPath() const { return m_currentPath; }

  signals:
    // Any item was expanded or collapsed (before its children are rebuilt).
    void expansionChanged();
    // A folder holding pictures was expanded: its path and its picture names.
    void folderPicturesFound(const QString& folder, const QStringList& names);

  protected:
    // A right click neither selects nor opens anything.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void OnExpanded(QTreeWidgetItem* item);
    void OnCollapsed(QTreeWidgetItem* item);
    void AddPlaceholder(QTreeWidgetItem* item);

    VolumeSource m_volumeSource;
    QString m_desktopPath;
    QString m_documentsPath;
    QFileIconProvider m_icons;
    QTreeWidgetItem* m_myComputerItem = nullptr;
    QTreeWidgetItem* m_desktopItem = nullptr;
    QTreeWidgetItem* m_documentsItem = nullptr;
    std::string m_currentPath;
};

}  // namespace framewise
