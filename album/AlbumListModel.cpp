#include "album/AlbumListModel.h"

namespace framewise {

int AlbumThumbHeight(int lcdWidth, int lcdHeight, int thumbWidth) {
    if (lcdWidth <= 0) return 0;
    return static_cast<int>(static_cast<int64_t>(lcdHeight) * thumbWidth / lcdWidth);
}

AlbumListModel::AlbumListModel(AlbumFolder& folder, const AppState& state, ThumbnailLoader loader)
    : m_folder(folder), m_state(state), m_loader(std::move(loader)) {}

void AlbumListModel::SetChangeListener(ChangeListener listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listener = std::move(listener);
}

void AlbumListModel::Notify(const std::vector<AlbumListChange>& changes) {
    if (changes.empty()) return;
    ChangeListener listener;
    {
        std::lock_guard lock(m_listenerMutex);
        listener = m_listener;
    }
    // Called without any lock held, so that a listener may read the model at once.
    if (!listener) return;
    for (const auto& c : changes) listener(c);
}

void AlbumListModel::CreateImageList(int thumbWidth, int thumbHeight, int thumbColumn) {
    std::lock_guard lock(m_mutex);
    m_imageList = true;
    m_thumbWidth = thumbWidth;
    m_thumbHeight = thumbHeight;
    m_thumbColumn = thumbColumn;
}

void AlbumListModel::DestroyImageList() {
    {
        std::lock_guard lock(m_mutex);
        m_imageList = false;
        for (auto& item : m_items) item.thumbnail.clear();
    }
    Notify({{AlbumListChange::Reset}});
}

bool AlbumListModel::HasImageList() const {
    std::lock_guard lock(m_mutex);
    return m_imageList;
}

int AlbumListModel::ThumbWidth() const {
    std::lock_guard lock(m_mutex);
    return m_thumbWidth;
}

int AlbumListModel::ThumbHeight() const {
    std::lock_guard lock(m_mutex);
    return m_thumbHeight;
}

int AlbumListModel::ThumbColumn() const {
    std::lock_guard lock(m_mutex);
    return m_thumbColumn;
}

void AlbumListModel::ItemPosition(int index, int thumbWidth, int thumbHeight, int thumbColumn,
                                  int& x, int& y) {
    const int columns = thumbColumn > 0 ? thumbColumn : 1;
    x = (index % columns) * (thumbWidth + 6);
    y = (index / columns) * (thumbHeight + 21);
}

void AlbumListModel::PlaceItem(int index) {
    auto& item = m_items[static_cast<size_t>(index)];
    ItemPosition(index, m_thumbWidth, m_thumbHeight, m_thumbColumn, item.x, item.y);
}

void AlbumListModel::RefreshAlbumList(bool incremental, bool appendNew, int addedNumber) {
    // The listener hears of the changes with no lock of ours held: a window's listener may
    // wait for its own thread, which may itself be asking for a rebuild meanwhile.
    Notify(Rebuild(incremental, appendNew, addedNumber));
}

std::vector<AlbumListChange> AlbumListModel::Rebuild(bool incremental, bool appendNew,
                                                     int addedNumber) {
    // One rebuild at a time: the read worker and the main thread may both ask for one.
    std::lock_guard refresh(m_refreshMutex);
    if (m_folder.Path().empty()) return {};
    if (appendNew) {
        m_folder.AppendAlbumName(AlbumFolder::FileName(addedNumber));
    } else if (!m_state.m_bMoving.load()) {
        if (!m_folder.EnumerateAlbumFolder()) return {};
    }
    const std::vector<std::string> names = m_folder.AlbumNames();
    if (names.empty()) return {};

    int width, height;
    bool withThumbnails;
    size_t first;
    {
        std::lock_guard lock(m_mutex);
        width = m_thumbWidth;
        height = m_thumbHeight;
        withThumbnails = m_imageList && width > 0 && height > 0;
        first = incremental ? names.size() - 1 : 0;
    }

    // Thumbnails are loaded outside the lock so that a view can keep drawing meanwhile.
    std::vector<AlbumItem> loaded;
    for (size_t i = first; i < names.size(); ++i) {
        AlbumItem item;
        item.name = names[i];
        if (withThumbnails && m_loader) {
            item.thumbnail = m_loader(m_folder.PathOf(names[i]), width, height);
        }
        loaded.push_back(std::move(item));
    }

    std::vector<AlbumListChange> changes;
    {
        std::lock_guard lock(m_mutex);
        if (!incremental) {
            m_items = std::move(loaded);
            m_focused = -1;
            m_selectionMark = -1;
            for (int i = 0; i < static_cast<int>(m_items.size()); ++i) PlaceItem(i);
            changes.push_back({AlbumListChange::Reset});
        } else {
            const int index = static_cast<int>(m_items.size());
            m_items.push_back(std::move(loaded.front()));
            PlaceItem(index);
            changes.push_back({AlbumListChange::ItemAdded, index});
        }

        if (!m_state.m_bMoving.load()) {
            m_hasFocus = true;
            const int last = static_cast<int>(m_items.size()) - 1;
            if (last > 0) m_items[static_cast<size_t>(last - 1)].selected = false;
            if (last >= 0) {
                m_items[static_cast<size_t>(last)].selected = true;
                m_focused = last;
                m_selectionMark = last;
                m_ensuredVisible = last;
                changes.push_back({AlbumListChange::SelectionChanged});
                changes.push_back({AlbumListChange::EnsureVisible, last});
            }
        }
    }
    return changes;
}

void AlbumListModel::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_focused = -1;
        m_selectionMark = -1;
        m_ensuredVisible = -1;
    }
    Notify({{AlbumListChange::Reset}});
}

int AlbumListModel::ItemCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

std::vector<AlbumItem> AlbumListModel::Items() const {
    std::lock_guard lock(m_mutex);
    return m_items;
}

std::optional<AlbumItem> AlbumListModel::Item(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_items.size())) return std::nullopt;
    return m_items[static_cast<size_t>(index)];
}

std::string AlbumListModel::ItemText(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_items.size())) return {};
    return m_items[static_cast<size_t>(index)].name;
}

std::vector<int> AlbumListModel::SelectedIndices() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> selected;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].selected) selected.push_back(static_cast<int>(i));
    }
    return selected;
}

int AlbumListModel::SelectedCount() const {
    return static_cast<int>(SelectedIndices().size());
}

void AlbumListModel::SetItemSelected(int index, bool selected) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= static_cast<int>(m_items.size())) return;
        m_items[static_cast<size_t>(index)].selected = selected;
    }
    Notify({{AlbumListChange::SelectionChanged}});
}

void AlbumListModel::SelectAll() {
    {
        std::lock_guard lock(m_mutex);
        for (auto& item : m_items) item.selected = true;
    }
    Notify({{AlbumListChange::SelectionChanged}});
}

void AlbumListModel::ClearSelection() {
    {
        std::lock_guard lock(m_mutex);
        for (auto& item : m_items) item.selected = false;
    }
    Notify({{AlbumListChange::SelectionChanged}});
}

int AlbumListModel::FocusedItem() const {
    std::lock_guard lock(m_mutex);
    return m_focused;
}

void AlbumListModel::SetFocusedItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < -1 || index >= static_cast<int>(m_items.size())) return;
        m_focused = index;
    }
    Notify({{AlbumListChange::SelectionChanged}});
}

int AlbumListModel::SelectionMark() const {
    std::lock_guard lock(m_mutex);
    return m_selectionMark;
}

void AlbumListModel::SetSelectionMark(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < -1 || index >= static_cast<int>(m_items.size())) return;
        m_selectionMark = index;
    }
    Notify({{AlbumListChange::SelectionChanged}});
}

bool AlbumListModel::HasFocus() const {
    std::lock_guard lock(m_mutex);
    return m_hasFocus;
}

void AlbumListModel::SetFocus(bool focus) {
    std::lock_guard lock(m_mutex);
    m_hasFocus = focus;
}

void AlbumListModel::EnsureVisible(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= static_cast<int>(m_items.size())) return;
        m_ensuredVisible = index;
    }
    Notify({{AlbumListChange::EnsureVisible, index}});
}

int AlbumListModel::LastEnsuredVisible() const {
    std::lock_guard lock(m_mutex);
    return m_ensuredVisible;
}

}  // namespace framewise
