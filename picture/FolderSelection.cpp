#include "picture/FolderSelection.h"

namespace framewise {

int FolderSelection::SelectedCount() const {
    return static_cast<int>(SelectedIndices().size());
}

std::vector<int> FolderSelection::SelectedIndices() const {
    std::vector<int> out;
    for (size_t i = 0; i < selected.size() && i < items.size(); ++i)
        if (selected[i]) out.push_back(static_cast<int>(i));
    return out;
}

void FolderSelection::SelectAll() {
    selected.assign(items.size(), true);
    if (!items.empty() && focused < 0) focused = 0;
    Changed();
}

void FolderSelection::AdvanceSelection() {
    const std::vector<int> chosen = SelectedIndices();
    if (chosen.size() != 1 || items.empty()) return;
    selected.assign(items.size(), false);
    const int next = (chosen[0] + 1) % static_cast<int>(items.size());
    selected[static_cast<size_t>(next)] = true;
    focused = next;
    selectionMark = next;
    ensuredVisible = next;
    Changed();
}

}  // namespace framewise
