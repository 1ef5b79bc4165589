// The one seam through which the core talks to the user: status line, progress bar,
// picture total, message boxes, questions, file choices and the window events.
//
// Threading contract (the window implements it; the core keeps to it):
// - Every call may come from the window's own thread or from a worker thread (album read,
//   synchronize, batch add, thumbnails). A call made on the window's thread runs at once.
// - Posted, never blocking, delivered in the order made: SetStatusText, SetProgressRange,
//   SetProgressPos, ShowProgress, SetPictureTotalText, PostEvent. A worker goes on at once.
// - Blocking until the user has answered or the step has run on the window's thread:
//   ShowMessage, ShowWarning, AskYesNo, AskYesNoCancel, ChooseFolder, ChooseSaveFile and
//   RunOnWindowThread (the batch's per-picture show-and-add). The window keeps processing its
//   events meanwhile, so a worker may wait here; the window therefore never joins a worker
//   that may be waiting on it: it asks the worker to stop and acts on the worker's end event.
// - The core never holds one of its own locks while it makes a blocking call.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace framewise {

enum class Answer { Yes, No, Cancel };

class Frontend {
public:
    virtual ~Frontend() = default;

    // Status line (right-hand part of the status bar).
    virtual void SetStatusText(const std::string& text) = 0;

    // Transfer progress bar.
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void ShowProgress(bool show) = 0;

    // The picture total text under the album list (also used for the transfer warning).
    virtual void SetPictureTotalText(const std::string& text) = 0;

    // An OK-only information box with the application's title.
    virtual void ShowMessage(const std::string& text) = 0;
    // An OK-only exclamation box with its own title (e.g. "Message").
    virtual void ShowWarning(const std::string& title, const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual Answer AskYesNoCancel(const std::string& text) = 0;

    // Folder chooser: nullopt when cancelled, an empty string for a folder without a
    // file-system path.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
    // Save-file dialog: nullopt when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& defaultExtension,
                                                      const std::string& filter) = 0;

    // A window event by its message name (config/EventNames.h), posted to the main window's
    // thread.
    virtual void PostEvent(std::string_view name, long wParam = 0) = 0;

    // Runs step on the window's thread and returns when it has run there (a worker's sent
    // message). Without a window there is only one thread: the step runs at once.
    virtual void RunOnWindowThread(const std::function<void()>& step) { step(); }
};

}  // namespace framewise
