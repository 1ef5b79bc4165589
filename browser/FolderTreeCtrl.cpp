#include "browser/FolderTreeCtrl.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <array>

#include "browser/FolderPictureNames.h"

namespace framewise {
namespace {

// The file system path an item stands for.
constexpr int kPathRole = Qt::UserRole;

QString Normalised(QString path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

bool Under(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + "/");
}

}  // namespace

bool IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType, bool isDirectory) {
    if (rootPath == "/") return true;
    if (!isDirectory) return false;
    static constexpr std::array<const char*, 27> kPseudo = {
        "proc",      "sysfs",          "devtmpfs",    "devpts",    "tmpfs",
        "cgroup",    "cgroup2",        "pstore",      "bpf",       "debugfs",
        "tracefs",   "securityfs",     "configfs",    "fusectl",   "mqueue",
        "hugetlbfs", "autofs",         "binfmt_misc", "squashfs",  "ramfs",
        "efivarfs",  "nsfs",           "rpc_pipefs",  "selinuxfs", "fuse.portal",
        "overlay",   "fuse.gvfsd-fuse"};
    for (const char* pseudo : kPseudo)
        if (fileSystemType == pseudo) return false;
    if (Under(rootPath, "/run")) return Under(rootPath, "/run/media") && rootPath != "/run/media";
    for (const char* system : {"/proc", "/sys", "/dev", "/boot", "/snap", "/var/lib", "/etc"})
        if (Under(rootPath, system)) return false;
    return true;
}

std::vector<Volume> UserVolumes() {
    std::vector<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (!storage.isValid() || !storage.isReady()) continue;
        if (!IsUserVolume(root, storage.fileSystemType(), QFileInfo(root).isDir())) continue;
        const QString label = storage.name();
        volumes.push_back({root, label.isEmpty() ? root : label + " (" + root + ")"});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    return volumes;
}

FolderTreeCtrl::FolderTreeCtrl(QWidget* parent)
    : QTreeWidget(parent),
      m_volumeSource(UserVolumes),
      m_desktopPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)),
      m_documentsPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTreeCtrl::OnExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &FolderTreeCtrl::OnCollapsed);
}

void FolderTreeCtrl::SetSpecialFolders(QString desktopPath, QString documentsPath) {
    m_desktopPath = std::move(desktopPath);
    m_documentsPath = std::move(documentsPath);
}

void FolderTreeCtrl::populateRoots() {
    const QString captions[3] = {
        m_myComputerItem ? m_myComputerItem->text(0) : QStringLiteral("My Computer"),
        m_desktopItem ? m_desktopItem->text(0) : QStringLiteral("Desktop"),
        m_documentsItem ? m_documentsItem->text(0) : QStringLiteral("My Document")};
    clear();
    m_currentPath.clear();
    m_myComputerItem = new QTreeWidgetItem(this, QStringList(captions[0]));
    m_myComputerItem->setIcon(0, m_icons.icon(QFileIconProvider::Computer));
    AddPlaceholder(m_myComputerItem);
    m_desktopItem = insertShellItem(m_desktopPath, nullptr, true, captions[1]);
    m_desktopItem->setIcon(0, m_icons.icon(QFileIconProvider::Desktop));
    m_documentsItem = insertShellItem(m_documentsPath, nullptr, true, captions[2]);
}

void FolderTreeCtrl::SetRootCaptions(const QString& myComputer, const QString& desktop,
                                     const QString& documents) {
    if (m_myComputerItem) m_myComputerItem->setText(0, myComputer);
    if (m_desktopItem) m_desktopItem->setText(0, desktop);
    if (m_documentsItem) m_documentsItem->setText(0, documents);
}

QTreeWidgetItem* FolderTreeCtrl::insertShellItem(const QString& path, QTreeWidgetItem* parent,
                                                 bool withPlaceholder, const QString& text) {
    const QString folder = Normalised(path);
    const QString name = text.isEmpty() ? QFileInfo(folder).fileName() : text;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name.isEmpty() ? folder : name);
    item->setData(0, kPathRole, folder);
    item->setIcon(0,
                  m_icons.icon(parent == m_myComputerItem && parent ? QFileIconProvider::Drive
                                                                    : QFileIconProvider::Folder));
    if (withPlaceholder) AddPlaceholder(item);
    return item;
}

void FolderTreeCtrl::AddPlaceholder(QTreeWidgetItem* item) {
    new QTreeWidgetItem(item);  // empty text: an expand button before the children are known
}

void FolderTreeCtrl::removeChildren(QTreeWidgetItem* item, bool addPlaceholder) {
    if (!item) return;
    qDeleteAll(item->takeChildren());
    if (addPlaceholder) AddPlaceholder(item);
}

std::string FolderTreeCtrl::itemPath(const QTreeWidgetItem* item) const {
    if (!item || item == m_myComputerItem || item->text(0).isEmpty()) return {};
    return item->data(0, kPathRole).toString().toStdString();
}

void FolderTreeCtrl::expandFolder(QTreeWidgetItem* item) {
    if (!item) return;
    if (item == m_myComputerItem) {
        removeChildren(item, false);
        for (const Volume& volume : m_volumeSource())
            insertShellItem(volume.rootPath, item, true, volume.displayName);
        return;
    }
    m_currentPath = itemPath(item);
    removeChildren(item, false);
    if (m_currentPath.empty()) return;
    const QString folder = QString::fromStdString(m_currentPath);
    // Hidden folders stay hidden; a folder that cannot be read simply has no children.
    const QDir dir(folder);
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const QString prefix = QString::fromStdString(FolderPrefix(m_currentPath));
    for (const QString& name : subfolders) insertShellItem(prefix + name, item, true);
    QStringList pictures;
    for (const std::string& name : ListFolderPictures(m_currentPath))
        pictures.push_back(QString::fromStdString(name));
    if (!pictures.isEmpty()) emit folderPicturesFound(folder, pictures);
}

void FolderTreeCtrl::OnExpanded(QTreeWidgetItem* item) {
    emit expansionChanged();
    expandFolder(item);
}

void FolderTreeCtrl::OnCollapsed(QTreeWidgetItem* item) {
    emit expansionChanged();
    // A collapsed folder forgets its subtree and is read afresh when expanded again.
    removeChildren(item, true);
}

void FolderTreeCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void FolderTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void FolderTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

}  // namespace framewise
