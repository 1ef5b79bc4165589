// The album list as a view shows it: one item per album file with its name, thumbnail and
// position, the selection, focus and selection mark; rebuilt only through RefreshAlbumList.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "album/AlbumFolder.h"
#include "config/AppState.h"

namespace framewise {

// Album thumbnail height for the device's LCD: LCD height × ThumbWidth / LCD width (integer
// division); 0 without an LCD width.
int AlbumThumbHeight(int lcdWidth, int lcdHeight, int thumbWidth);

struct AlbumItem {
    std::string name;                // the album file's name, e.g. "0001.bmp"
    std::vector<uint8_t> thumbnail;  // RGB, top-down, ThumbWidth × ThumbHeight; empty = blank
    int x = 0;                       // position in list coordinates
    int y = 0;
    bool selected = false;
};

// What changed, for a view that mirrors the model.
struct AlbumListChange {
    enum Kind {
        Reset,             // every item was replaced (or removed)
        ItemAdded,         // index: the new item
        SelectionChanged,  // selection, focus or selection mark
        EnsureVisible,     // index: scroll this item into view
    };
    Kind kind;
    int index = -1;
};

class AlbumListModel {
  public:
    // Loads an album file as an RGB thumbnail of the given size; empty when it cannot.
    using ThumbnailLoader =
        std::function<std::vector<uint8_t>(const std::filesystem::path&, int width, int height)>;
    using ChangeListener = std::function<void(const AlbumListChange&)>;

    // The default loader reads the album file and scales it by area averaging.
    AlbumListModel(AlbumFolder& folder, const AppState& state);
    AlbumListModel(AlbumFolder& folder, const AppState& state, ThumbnailLoader loader);
    AlbumListModel(const AlbumListModel&) = delete;
    AlbumListModel& operator=(const AlbumListModel&) = delete;

    // Called from any thread after every change, outside the model's lock.
    void SetChangeListener(ChangeListener listener);

    // The thumbnail image list, made at attach with the album thumbnail size; the list takes
    // pictures only while it exists.
    void CreateImageList(int thumbWidth, int thumbHeight, int thumbColumn);
    void DestroyImageList();
    bool HasImageList() const;
    int ThumbWidth() const;
    int ThumbHeight() const;
    int ThumbColumn() const;  // as configured; 0 is placed as 1 column

    // Where item index sits: x = (index mod columns) × (ThumbWidth + 6),
    // y = (index div columns) × (ThumbHeight + 21), with 0 columns taken as 1.
    static void ItemPosition(int index, int thumbWidth, int thumbHeight, int thumbColumn, int& x,
                             int& y);

    // The only way the list is rebuilt. appendNew appends "%04d.bmp" of addedNumber to
    // AlbumNames instead of enumerating the folder (no enumeration either while m_bMoving);
    // incremental adds only the last of AlbumNames instead of rebuilding every item. Unless
    // m_bMoving, the list then takes the focus and the last item alone of the last two is
    // selected, focused, made the selection mark and scrolled into view.
    void RefreshAlbumList(bool incremental, bool appendNew, int addedNumber = 0);
    void DeleteAllItems();

    int ItemCount() const;
    std::vector<AlbumItem> Items() const;
    std::optional<AlbumItem> Item(int index) const;
    std::string ItemText(int index) const;  // empty outside the list

    // Selection, focus and selection mark; indexes outside the list are ignored.
    std::vector<int> SelectedIndices() const;  // ascending
    int SelectedCount() const;
    void SetItemSelected(int index, bool selected);
    void SelectAll();
    void ClearSelection();
    int FocusedItem() const;  // -1: none
    void SetFocusedItem(int index);
    int SelectionMark() const;  // -1: none
    void SetSelectionMark(int index);
    bool HasFocus() const;  // whether the list holds the keyboard focus
    void SetFocus(bool focus);
    void EnsureVisible(int index);
    int LastEnsuredVisible() const;  // the item last scrolled into view, -1 none

  private:
    void Notify(const std::vector<AlbumListChange>& changes);
    // RefreshAlbumList's work; answers the changes to tell the listener.
    std::vector<AlbumListChange> Rebuild(bool incremental, bool appendNew, int addedNumber);
    void PlaceItem(int index);  // with m_mutex held

    AlbumFolder& m_folder;
    const AppState& m_state;
    ThumbnailLoader m_loader;

    std::mutex m_refreshMutex;   // one rebuild at a time
    mutable std::mutex m_mutex;  // the items and everything below
    std::vector<AlbumItem> m_items;
    bool m_imageList = false;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    int m_thumbColumn = 0;
    int m_focused = -1;
    int m_selectionMark = -1;
    int m_ensuredVisible = -1;
    bool m_hasFocus = false;

    std::mutex m_listenerMutex;
    ChangeListener m_listener;
};

}  // namespace framewise
