#include "album/AlbumCommands.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "config/ControlIds.h"
#include "transfer/AlbumWritable.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

// Clears a flag when the command ends, however it ends.
class FlagScope {
  public:
    explicit FlagScope(std::atomic<bool>& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    std::atomic<bool>& m_flag;
};

}  // namespace

AlbumCommands::AlbumCommands(AlbumFolder& folder, AlbumListModel& list, FlashModel& model,
                             AppState& state, Frontend& frontend, const Language& language,
                             TotalUpdater updateTotal)
    : m_folder(folder),
      m_list(list),
      m_model(model),
      m_state(state),
      m_frontend(frontend),
      m_language(language),
      m_updateTotal(std::move(updateTotal)) {}

bool AlbumCommands::CanEdit() const {
    // Until a read has completed the album on the PC may be only a part of the frame's; the
    // next synchronize would make that part the whole album.
    return m_state.m_bReady && !m_state.m_bBatchAdding && m_state.m_bAlbumRead;
}

bool AlbumCommands::RefuseReadOnly() {
    if (AlbumWritable(m_model.IndexAddress())) return false;
    m_frontend.ShowMessage(ReadOnlyAlbumText(m_language, m_model.IndexAddress()));
    return true;
}

DeleteOutcome AlbumCommands::DeleteSelected(const std::string& lastFolderPicture) {
    DeleteOutcome outcome;
    outcome.count = m_list.ItemCount();
    if (!CanEdit() || m_state.m_bDeleting || RefuseReadOnly()) return outcome;

    const std::vector<int> selected = m_list.SelectedIndices();
    const int s = static_cast<int>(selected.size());
    if (s < 1) {
        m_frontend.ShowMessage(
            m_language.Tr("DELETE_TIPS_1", "Please select at least a pic before you delete it!"));
        return outcome;
    }
    if (!m_frontend.AskYesNo(m_language.Tr("DELETE_TIPS_2", "Delete the selected photo(s)?"))) {
        return outcome;
    }

    m_state.m_bDeleting = true;
    int lastDeleted = -1;
    int k = 0;
    for (int i : selected) {
        // The entries before this one have already moved down by k.
        m_folder.RemoveSourcePath(static_cast<size_t>(i - k));
        lastDeleted = i;
        const std::string text = m_list.ItemText(i);
        // Clears the entry and the record and takes the length off the total (not below 0).
        m_model.ClearPicture(AlbumFolder::NumberOf(text));
        std::error_code ec;
        fs::remove(m_folder.PathOf(text), ec);
        ++k;
    }

    // The list still shows the deleted items here.
    const int shown = m_list.ItemCount();
    m_model.CompactRecords(shown);
    if (shown >= 1) m_folder.CompactAlbumNumbers();

    if (shown == s) {
        m_list.DeleteAllItems();
        m_folder.ClearAlbumNames();
        outcome.emptiedAlbum = true;
        outcome.previewPath = lastFolderPicture;
    } else {
        m_list.RefreshAlbumList(false, false);
    }

    const int c = m_list.ItemCount();
    if (m_updateTotal) m_updateTotal(c);
    m_state.m_bModified = true;
    m_state.m_bDeleting = false;

    // The rebuild selected the last item; the selection goes to the item after the last one
    // deleted instead, or nowhere when that lies past the end.
    if (c - 1 > 0) m_list.SetItemSelected(c - 1, false);
    const int j = lastDeleted + 1 - s;
    if (j >= 0 && j < c) {
        m_list.SetFocusedItem(j);
        m_list.SetItemSelected(j, true);
        m_list.EnsureVisible(j);
    }
    outcome.deleted = true;
    outcome.count = c;
    return outcome;
}

bool AlbumCommands::MoveUp() {
    return Move(-1);
}

bool AlbumCommands::MoveDown() {
    return Move(+1);
}

bool AlbumCommands::Move(int direction) {
    if (!CanEdit() || m_state.m_bMoving || RefuseReadOnly()) return false;
    const std::vector<int> selected = m_list.SelectedIndices();
    if (selected.size() >= 2) {
        m_frontend.ShowMessage(m_language.Tr("MOVE_TIPS_1", "Please select one pic only!"));
        return false;
    }
    if (selected.empty()) return false;
    const int i = selected.front();
    const int partner = i + direction;
    if (partner < 0 || partner >= m_list.ItemCount()) return false;

    const int button = direction < 0 ? kIdMoveUp : kIdMoveDown;
    bool moved = false;
    {
        FlagScope moving(m_state.m_bMoving);
        if (m_enableButton) m_enableButton(button, false);

        const std::string textA = m_list.ItemText(i);
        const std::string textB = m_list.ItemText(partner);
        const int a = AlbumFolder::NumberOf(textA);
        const int b = AlbumFolder::NumberOf(textB);
        // The files first: when they cannot be exchanged, the records and source paths stay
        // with the files they describe.
        if (a >= 1 && b >= 1 &&
            AlbumFolder::SwapAlbumPictures(m_folder.PathOf(textA), m_folder.PathOf(textB))) {
            m_folder.SwapSourcePaths(static_cast<size_t>(a - 1), static_cast<size_t>(b - 1));
            // A source path that names an album file names the picture's own file, which now
            // has the other number.
            for (int n : {a, b}) {
                const auto path = m_folder.SourcePath(static_cast<size_t>(n - 1));
                if (path && m_folder.IsAlbumFilePath(*path)) {
                    m_folder.SetSourcePath(static_cast<size_t>(n - 1),
                                           m_folder.FilePath(n).string());
                }
            }
            m_model.SwapPictures(a, b);
            moved = true;
        }
        // With m_bMoving set the rebuild reloads the thumbnails from the unchanged AlbumNames
        // and leaves the selection to us.
        m_list.RefreshAlbumList(false, false);
        const int focus = moved ? partner : i;
        m_list.SetFocusedItem(focus);
        m_list.SetItemSelected(focus, true);
        m_list.EnsureVisible(focus);
    }
    if (moved) m_state.m_bModified = true;
    if (m_enableButton) m_enableButton(button, true);
    return moved;
}

SelectAllTarget AlbumCommands::SelectAll(bool folderListHasFocus) {
    if (m_state.m_bBatchAdding) return SelectAllTarget::None;
    if (folderListHasFocus) return SelectAllTarget::FolderList;
    m_list.SetFocus(true);
    m_list.SelectAll();
    return SelectAllTarget::AlbumList;
}

}  // namespace framewise
