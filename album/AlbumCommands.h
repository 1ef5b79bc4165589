// The album list's edit commands (Delete, Move Up, Move Down, Select All): they change the
// album folder, SourcePathList and the flash records together, so the next synchronize is right.
#pragma once

#include <functional>
#include <string>

#include "album/AlbumFolder.h"
#include "album/AlbumListModel.h"
#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "transfer/FlashModel.h"

namespace framewise {

// What a Delete did, for the window to act on.
struct DeleteOutcome {
    bool deleted = false;       // pictures were deleted (false: refused, nothing selected, No)
    bool emptiedAlbum = false;  // every picture went; the preview falls back to previewPath
    std::string previewPath;    // the folder picture last shown; empty: repaint an empty preview
    int count = 0;              // album pictures left
};

// Which list Select All selected.
enum class SelectAllTarget { None, FolderList, AlbumList };

class AlbumCommands {
  public:
    // Writes the picture total for an album of `count` pictures.
    using TotalUpdater = std::function<void(int count)>;
    // Enables or disables one button by its control id (Up 1021, Down 1022) during a move.
    using ButtonEnabler = std::function<void(int controlId, bool enabled)>;

    AlbumCommands(AlbumFolder& folder, AlbumListModel& list, FlashModel& model, AppState& state,
                  Frontend& frontend, const Language& language, TotalUpdater updateTotal);

    void SetButtonEnabler(ButtonEnabler enabler) { m_enableButton = std::move(enabler); }

    // Delete and the moves act only when ready, no batch runs and the album was read whole
    // from the frame attached now; a frame whose album is read-only refuses them with its
    // message.
    // Delete (1006). lastFolderPicture is the folder picture the preview showed last; it is
    // what the preview shows once the album is empty.
    DeleteOutcome DeleteSelected(const std::string& lastFolderPicture = {});
    // Move Up (1021) and Move Down (1022); true when the selected picture moved.
    bool MoveUp();
    bool MoveDown();
    // Select All (1009). folderListHasFocus: the folder picture list holds the keyboard focus;
    // the window then selects every folder picture itself.
    SelectAllTarget SelectAll(bool folderListHasFocus);

  private:
    // Ready, no batch running and the album read whole: the state every edit needs.
    bool CanEdit() const;
    // A frame whose album can never be written back: its album is not edited either (the
    // message says why).
    bool RefuseReadOnly();
    bool Move(int direction);

    AlbumFolder& m_folder;
    AlbumListModel& m_list;
    FlashModel& m_model;
    AppState& m_state;
    Frontend& m_frontend;
    const Language& m_language;
    TotalUpdater m_updateTotal;
    ButtonEnabler m_enableButton;
};

}  // namespace framewise
