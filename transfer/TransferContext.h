// What the transfer code needs of the application around it: the user-facing seam, the
// texts, the start-up file, the shared window flags, the work files and two window hooks.
#pragma once

#include <functional>

#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "config/Settings.h"
#include "config/WorkPaths.h"

namespace framewise {

struct TransferContext {
    Frontend& frontend;
    Language& language;
    Settings& settings;
    AppState& state;
    WorkPaths paths;
    // EnableControls of the main window (the sixteen command controls); may be empty.
    std::function<void(bool)> enableControls;
    // Enables the folder tree alone; may be empty.
    std::function<void()> enableFolderTree;

    void EnableControls(bool enable) const {
        if (enableControls) enableControls(enable);
    }
    void EnableFolderTree() const {
        if (enableFolderTree) enableFolderTree();
    }
    // "OFF": the progress bar is shown only while a transfer runs.
    bool ProgressCtrlOff() const {
        return settings.ReadShippedText("info", "ProgressCtrl", "ON") == "OFF";
    }
    // Progress bar back to 0 at the end of a transfer, hidden when ProgressCtrl is "OFF".
    void ResetProgress() const {
        frontend.SetProgressPos(0);
        if (ProgressCtrlOff()) frontend.ShowProgress(false);
    }
};

}  // namespace framewise
