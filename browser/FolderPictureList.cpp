#include "browser/FolderPictureList.h"

#include <QItemSelectionModel>
#include <QScrollBar>
#include <algorithm>

namespace framewise {

ThumbnailGeometry SaneThumbnailGeometry(int sThumbWidth, int sThumbColumn) {
    ThumbnailGeometry geometry;
    if (sThumbWidth > 0) geometry.side = std::min(sThumbWidth, 512);
    geometry.columns = sThumbColumn > 0 ? sThumbColumn : 1;
    return geometry;
}

FolderPictureList::FolderPictureList(FolderSelection& selection, QWidget* parent)
    : FolderPictureList(parent) {
    UseSelection(selection);
}

FolderPictureList::FolderPictureList(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    // Free movement is what lets each item sit at its own grid place; dragging stays off.
    setMovement(QListView::Free);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setResizeMode(QListView::Fixed);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The layout pass before the items take their grid places wraps at the list's width, so
    // the contents are no wider than the grid.
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setWordWrap(true);
    setTextElideMode(Qt::ElideMiddle);
    SetGeometry(m_geometry);
    m_selection->SetChangedHandler([this] {
        // Add moves the selection on from the window's thread; anything else is queued there.
        QMetaObject::invokeMethod(
            this, [this] { PullSelection(); }, Qt::AutoConnection);
    });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_syncing) return;
        PushSelection();
        m_changedByPress = true;
        emit folderPictureClicked();
    });
    // A click that changed nothing still shows the clicked picture again.
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (m_changedByPress) {
            m_changedByPress = false;
            return;
        }
        emit folderPictureClicked();
    });
}

void FolderPictureList::mousePressEvent(QMouseEvent* event) {
    m_changedByPress = false;  // set again if this press changes the selection
    QListWidget::mousePressEvent(event);
}

void FolderPictureList::doItemsLayout() {
    QListWidget::doItemsLayout();
    // A layout pass (a new icon size, a resize) would flow the items anew: they keep their
    // grid places.
    for (int row = 0; row < count(); ++row)
        setPositionForIndex(GridPosition(row), indexFromItem(item(row)));
}

FolderPictureList::~FolderPictureList() {
    m_selection->SetChangedHandler({});
}

void FolderPictureList::UseSelection(FolderSelection& selection) {
    m_selection->SetChangedHandler({});
    m_selection = &selection;
    DeleteAllItems();
    Attach();
}

void FolderPictureList::Attach() {
    m_selection->SetChangedHandler([this] {
        // Add moves the selection on from the window's thread; anything else is queued there.
        QMetaObject::invokeMethod(
            this, [this] { PullSelection(); }, Qt::AutoConnection);
    });
}

void FolderPictureList::SetGeometry(ThumbnailGeometry geometry) {
    m_geometry = geometry;
    setIconSize(QSize(geometry.side, geometry.side));
    setSpacing(0);
    for (int row = 0; row < count(); ++row) {
        item(row)->setSizeHint(ItemSize());
        setPositionForIndex(GridPosition(row), indexFromItem(item(row)));
    }
}

QSize FolderPictureList::ItemSize() const {
    // Each item fits inside its grid cell: the thumbnail, and two lines of its name under it.
    // Narrow enough that three columns of the shipped side fit the list beside its scroll bar.
    return QSize(m_geometry.side + 22, m_geometry.side + 8 + fontMetrics().height() * 2);
}

QPoint FolderPictureList::GridPosition(int k) const {
    const int side = m_geometry.side;
    return QPoint((k % m_geometry.columns) * (side + 35), (k / m_geometry.columns) * (side + 60));
}

void FolderPictureList::AddThumbnail(const std::string& name, const QPixmap& thumbnail) {
    const int k = count();
    setUpdatesEnabled(false);
    auto* entry = new QListWidgetItem(QIcon(thumbnail), QString::fromStdString(name));
    entry->setSizeHint(ItemSize());
    entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    entry->setToolTip(QString::fromStdString(name));
    {
        // Inserting an item is no selection change of the user's.
        const bool was = m_syncing;
        m_syncing = true;
        insertItem(k, entry);
        m_syncing = was;
    }
    setPositionForIndex(GridPosition(k), indexFromItem(entry));
    m_selection->items.push_back(name);
    m_selection->selected.push_back(false);
    setUpdatesEnabled(true);
}

void FolderPictureList::DeleteAllItems() {
    m_syncing = true;
    clear();
    m_syncing = false;
    m_selection->items.clear();
    m_selection->selected.clear();
    m_selection->focused = -1;
    m_selection->selectionMark = -1;
    m_selection->ensuredVisible = -1;
}

void FolderPictureList::FocusNewest() {
    const int k = count() - 1;
    if (k < 0) return;
    m_syncing = true;
    if (k > 0) item(k - 1)->setSelected(false);
    selectionModel()->setCurrentIndex(indexFromItem(item(k)), QItemSelectionModel::NoUpdate);
    scrollToItem(item(k));
    m_syncing = false;
    // Only these two items changed; a whole push per thumbnail would cost a big folder dearly.
    if (k > 0 && std::size_t(k - 1) < m_selection->selected.size())
        m_selection->selected[std::size_t(k - 1)] = false;
    m_selection->focused = k;
    m_selection->selectionMark = k;
}

QPoint FolderPictureList::ItemPosition(int row) const {
    if (row < 0 || row >= count()) return {};
    return rectForIndex(indexFromItem(item(row))).topLeft();
}

std::vector<std::string> FolderPictureList::ItemTexts() const {
    std::vector<std::string> texts;
    for (int row = 0; row < count(); ++row) texts.push_back(item(row)->text().toStdString());
    return texts;
}

void FolderPictureList::PushSelection() {
    m_selection->selected.assign(std::size_t(count()), false);
    for (int row = 0; row < count(); ++row)
        m_selection->selected[std::size_t(row)] = item(row)->isSelected();
    m_selection->focused = currentRow();
    m_selection->selectionMark = currentRow();
}

void FolderPictureList::PullSelection() {
    if (m_selection->items.size() != std::size_t(count())) return;
    m_syncing = true;
    for (int row = 0; row < count(); ++row) {
        const bool on = std::size_t(row) < m_selection->selected.size() &&
                        m_selection->selected[std::size_t(row)];
        item(row)->setSelected(on);
    }
    if (m_selection->focused >= 0 && m_selection->focused < count())
        selectionModel()->setCurrentIndex(indexFromItem(item(m_selection->focused)),
                                          QItemSelectionModel::NoUpdate);
    if (m_selection->ensuredVisible >= 0 && m_selection->ensuredVisible < count())
        scrollToItem(item(m_selection->ensuredVisible));
    m_syncing = false;
    // The list's change notification: the newly selected picture is shown.
    emit folderPictureClicked();
}

}  // namespace framewise
