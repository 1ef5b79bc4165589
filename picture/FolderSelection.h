// The folder picture list as Add sees it: the item texts, which are selected and focused,
// and the folder they are in. The window fills it; Add reads it and moves the selection on.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace framewise {

struct FolderSelection {
    std::string m_strFolderPrefix;   // the shown folder, ending in its separator
    std::vector<std::string> items;  // item texts (file names), in list order
    std::vector<bool> selected;      // one per item
    int focused = -1;
    int selectionMark = -1;
    int ensuredVisible = -1;

    int SelectedCount() const;
    std::vector<int> SelectedIndices() const;
    void SelectAll();
    // The single selected item gives way to the one after it (after the last, the first).
    void AdvanceSelection();

    // Called after SelectAll and AdvanceSelection changed the selection, so that a list
    // showing these items can show the new selection too.
    void SetChangedHandler(std::function<void()> handler) { m_onChanged = std::move(handler); }

  private:
    void Changed() const {
        if (m_onChanged) m_onChanged();
    }
    std::function<void()> m_onChanged;
};

}  // namespace framewise
