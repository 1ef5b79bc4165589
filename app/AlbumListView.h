// The album list (1005) as the album list model has it: one item per album picture, its
// thumbnail at the model's position, and the selection, focus and scrolling mirrored both
// ways. The model may change on the read worker; its news is queued to the window's thread,
// where the pixmaps are made, and every change of either side reaches the other once.
#pragma once

#include <QObject>
#include <atomic>

namespace framewise {

class AlbumListModel;
struct AlbumItem;

namespace factory {
class PlacedIconList;
}

class AlbumListView : public QObject {
    Q_OBJECT
  public:
    AlbumListView(factory::PlacedIconList& list, AlbumListModel& model, QObject* parent = nullptr);
    ~AlbumListView() override;
    AlbumListView(const AlbumListView&) = delete;
    AlbumListView& operator=(const AlbumListView&) = delete;

    // Brings the widget up to the model now (window thread); model news does it by itself.
    void Sync();
    // Times the widget was brought up to the model (coalesced news counts once).
    int SyncCount() const { return m_syncs; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnModelChange(int kind, int index);  // any thread
    void ApplyItems();
    void AppendItem(const AlbumItem& item, int row);
    void ApplySelection();
    void PushSelection();
    void PushCurrent(int row);

    factory::PlacedIconList& m_list;
    AlbumListModel& m_model;
    std::atomic<bool> m_syncQueued{false};
    std::atomic<bool> m_resetPending{true};
    std::atomic<int> m_ensureVisible{-1};
    bool m_applying = false;
    int m_syncs = 0;
};

}  // namespace framewise
