// The one seam through which the core talks to the user: status line, progress bar,
// picture total, message boxes, questions, file choices and the window events.
#pragma once

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

    // A window event by its message name ("HIDDEVICECHANGE", "DPFAttach", "FinishThread",
    // "ReceivePic", "ProcessFinish", ...), posted to the main window's thread.
    virtual void PostEvent(std::string_view name, long wParam = 0) = 0;
};

}  // namespace framewise
