// The folder picture list (control 1070): the chosen folder's pictures as square thumbnails on
// a fixed grid, its items and selection kept in step with the FolderSelection that Add reads.
#pragma once

#include <QListWidget>
#include <QPixmap>
#include <string>

#include "picture/FolderSelection.h"

namespace framewise {

// The thumbnail geometry: the shipped defaults stand in for missing or nonsensical values.
struct ThumbnailGeometry {
    int side = 48;    // SThumbWidth
    int columns = 3;  // SThumbColumn
};
// SThumbWidth 0 (or below) is the default side, and a side past 512 is 512; SThumbColumn 0 (or
// below) is one column.
ThumbnailGeometry SaneThumbnailGeometry(int sThumbWidth, int sThumbColumn);

class FolderPictureList : public QListWidget {
    Q_OBJECT
  public:
    // The list keeps its own selection model until UseSelection hands it the one Add reads.
    explicit FolderPictureList(QWidget* parent = nullptr);
    // selection: the model Add, the batch and the click handler read (the window's Workbench
    // has one); it must outlive the list.
    explicit FolderPictureList(FolderSelection& selection, QWidget* parent = nullptr);
    ~FolderPictureList() override;

    // From now on the items and the selection are kept in selection; the list is emptied.
    void UseSelection(FolderSelection& selection);

    void SetGeometry(ThumbnailGeometry geometry);
    ThumbnailGeometry Geometry() const { return m_geometry; }

    // AddThumbnail: item k of the list (k = the items so far) with its thumbnail, at
    // x = (k mod columns)(side + 35), y = (k div columns)(side + 60).
    void AddThumbnail(const std::string& name, const QPixmap& thumbnail);
    // Deletes every item (the selection model's items and selection with them).
    void DeleteAllItems();
    // The newest item becomes the focused one and is scrolled into view, and the one before
    // it is no longer selected.
    void FocusNewest();

    // The place of an item in the list's contents.
    QPoint ItemPosition(int row) const;
    FolderSelection& Selection() { return *m_selection; }
    // The item texts in list order.
    std::vector<std::string> ItemTexts() const;

    void doItemsLayout() override;

  signals:
    // The selection changed (by the user, or by Add moving it on) or a selected item was
    // clicked again: OnFolderPictureClick.
    void folderPictureClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QSize ItemSize() const;
    QPoint GridPosition(int k) const;
    void PushSelection();  // widget -> model
    void PullSelection();  // model -> widget

    void Attach();

    FolderSelection m_ownSelection;
    FolderSelection* m_selection = &m_ownSelection;
    ThumbnailGeometry m_geometry;
    bool m_syncing = false;
    bool m_changedByPress = false;
};

}  // namespace framewise
