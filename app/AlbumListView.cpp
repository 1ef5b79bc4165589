#include "app/AlbumListView.h"

#include <QEvent>
#include <QFocusEvent>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "album/AlbumListModel.h"
#include "app/ControlFactory.h"

namespace framewise {

namespace {

// The model's RGB thumbnail as a pixmap; a blank slot of the same size when it has none.
QPixmap Thumbnail(const AlbumItem& item, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (item.thumbnail.size() < rowBytes * static_cast<size_t>(height)) {
        QPixmap blank(width, height);
        blank.fill(Qt::white);
        return blank;
    }
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), item.thumbnail.data() + rowBytes * static_cast<size_t>(y),
                    rowBytes);
    return QPixmap::fromImage(image);
}

// Restores a flag on leaving, however the block is left.
class Applying {
  public:
    explicit Applying(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Applying() { m_flag = m_was; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

  private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

AlbumListView::AlbumListView(factory::PlacedIconList& list, AlbumListModel& model, QObject* parent)
    : QObject(parent), m_list(list), m_model(model) {
    m_list.setUniformItemSizes(true);
    m_list.installEventFilter(this);
    connect(&m_list, &QListWidget::itemSelectionChanged, this, &AlbumListView::PushSelection);
    connect(&m_list, &QListWidget::currentRowChanged, this, &AlbumListView::PushCurrent);
    m_model.SetChangeListener([this](const AlbumListChange& change) {
        OnModelChange(static_cast<int>(change.kind), change.index);
    });
    Sync();
}

AlbumListView::~AlbumListView() {
    m_model.SetChangeListener({});
}

void AlbumListView::OnModelChange(int kind, int index) {
    if (kind == AlbumListChange::Reset) m_resetPending = true;
    if (kind == AlbumListChange::EnsureVisible) m_ensureVisible = index;
    // Always queued, on the window's thread too: a change the widget pushed to the model
    // comes back only after the widget has finished with it.
    if (m_syncQueued.exchange(true)) return;
    QMetaObject::invokeMethod(this, &AlbumListView::Sync, Qt::QueuedConnection);
}

void AlbumListView::Sync() {
    m_syncQueued = false;
    ++m_syncs;
    Applying applying(m_applying);
    ApplyItems();
    ApplySelection();
    const int ensure = m_ensureVisible.exchange(-1);
    if (QListWidgetItem* item = m_list.item(ensure))
        m_list.scrollToItem(item, QAbstractItemView::EnsureVisible);
    // The model asks for the keyboard focus with each rebuild; a disabled list takes it when it
    // is enabled again (eventFilter).
    if (m_model.HasFocus() && m_list.isEnabled() && m_list.window()->focusWidget() != &m_list)
        m_list.setFocus(Qt::OtherFocusReason);
}

void AlbumListView::ApplyItems() {
    const int width = m_model.ThumbWidth();
    const int height = m_model.ThumbHeight();
    m_list.setIconSize(QSize(width, height));
    if (m_resetPending.exchange(false)) {
        m_list.clear();
        const std::vector<AlbumItem> items = m_model.Items();
        for (size_t i = 0; i < items.size(); ++i) AppendItem(items[i], static_cast<int>(i));
        return;
    }
    // Only what was appended since: the earlier thumbnails stay as they are.
    for (int row = m_list.count(); row < m_model.ItemCount(); ++row) {
        const std::optional<AlbumItem> item = m_model.Item(row);
        if (!item) break;
        AppendItem(*item, row);
    }
}

void AlbumListView::AppendItem(const AlbumItem& item, int row) {
    auto* entry = new QListWidgetItem(QString::fromStdString(item.name));
    entry->setIcon(QIcon(Thumbnail(item, m_model.ThumbWidth(), m_model.ThumbHeight())));
    entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_list.addItem(entry);
    m_list.SetItemPosition(row, QPoint(item.x, item.y));
}

void AlbumListView::ApplySelection() {
    const std::vector<AlbumItem> items = m_model.Items();
    for (int row = 0; row < m_list.count() && row < static_cast<int>(items.size()); ++row) {
        QListWidgetItem* entry = m_list.item(row);
        if (entry->isSelected() != items[static_cast<size_t>(row)].selected)
            entry->setSelected(items[static_cast<size_t>(row)].selected);
    }
    const int focused = m_model.FocusedItem();
    if (focused >= 0 && focused < m_list.count() && m_list.currentRow() != focused)
        m_list.setCurrentRow(focused, QItemSelectionModel::NoUpdate);
}

void AlbumListView::PushSelection() {
    if (m_applying) return;
    const std::vector<int> selected = m_model.SelectedIndices();
    for (int row = 0; row < m_list.count(); ++row) {
        const bool inWidget = m_list.item(row)->isSelected();
        const bool inModel = std::binary_search(selected.begin(), selected.end(), row);
        if (inWidget != inModel) m_model.SetItemSelected(row, inWidget);
    }
}

void AlbumListView::PushCurrent(int row) {
    if (m_applying || row < 0) return;
    m_model.SetFocusedItem(row);
    m_model.SetSelectionMark(row);
}

bool AlbumListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_list) {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
            // Only a move of the focus inside the window counts; the window losing its
            // activation leaves the list the window's focus.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                m_model.SetFocus(type == QEvent::FocusIn);
        } else if (type == QEvent::EnabledChange && m_list.isEnabled() && m_model.HasFocus()) {
            m_list.setFocus(Qt::OtherFocusReason);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace framewise
