// Every control of the main window, made once and found by its numeric id: placed by the
// layout, captioned and given tooltips from the language's texts, switched by the enabling
// state.
#pragma once

#include <QString>

#include <map>
#include <vector>

#include "config/LanguageUi.h"

class QAbstractButton;
class QListWidget;
class QTreeWidget;
class QWidget;

namespace framewise {

namespace factory {
class PlacedIconList;
}
class ControlEnabling;
struct WindowGeometry;

class WindowControls {
  public:
    // Makes every control as a child of window, at its design rectangle, with the
    // template's texts; the quality slider and its label start hidden and disabled, the
    // "Read" button is never shown.
    explicit WindowControls(QWidget* window);

    QWidget* Get(int id) const;
    QAbstractButton* Button(int id) const;  // null for an id that is no button
    QListWidget* AlbumList() const;
    // The album list as the list that places its items where it is told.
    factory::PlacedIconList* PlacedAlbumList() const;
    QListWidget* FolderPictureList() const;
    QTreeWidget* FolderTree() const;
    // Every command button, with its id, for routing clicks.
    std::vector<std::pair<int, QAbstractButton*>> CommandButtons() const;

    void Place(const WindowGeometry& geometry);
    // Control captions and the folder tree's root items. The picture total (1017) is never
    // captioned: it shows the total or the transfer warning.
    void ApplyCaptions(const Captions& captions);
    void ApplyTooltips(const std::vector<ControlText>& tooltips);
    void ApplyEnabling(const ControlEnabling& enabling);

  private:
    QWidget* Add(int id, QWidget* widget);

    std::map<int, QWidget*> m_controls;
};

}  // namespace framewise
