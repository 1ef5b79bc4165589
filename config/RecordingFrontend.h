// A Frontend that records everything the core tells the user and answers questions
// from queues given in advance; used by tests and by headless runs.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "config/Frontend.h"

namespace framewise {

class RecordingFrontend : public Frontend {
public:
    struct Entry {
        std::string kind;  // "status", "message", "warning", "yesno", "yesnocancel",
                           // "folder", "savefile", "event", "total", "progress", "range", "show"
        std::string text;
        long value = 0;
    };

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;
    void ShowProgress(bool show) override;
    void SetPictureTotalText(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
    std::optional<std::string> ChooseSaveFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    void PostEvent(std::string_view name, long wParam = 0) override;

    // Answers handed out in order; when a queue is empty: Yes, Yes, cancelled choices.
    void QueueYesNo(bool yes);
    void QueueYesNoCancel(Answer answer);
    void QueueFolder(std::optional<std::string> folder);
    void QueueSaveFile(std::optional<std::string> file);

    std::vector<Entry> Entries() const;
    std::vector<std::string> Texts(const std::string& kind) const;  // all texts of one kind
    std::vector<std::string> Messages() const { return Texts("message"); }
    std::vector<std::string> Events() const { return Texts("event"); }
    std::vector<std::string> Questions() const;  // yes/no and yes/no/cancel texts
    std::string LastStatus() const;
    std::string LastTotal() const;
    int Count(const std::string& kind, const std::string& text) const;
    void Clear();

private:
    void Add(std::string kind, std::string text, long value = 0);

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::deque<bool> m_yesNo;
    std::deque<Answer> m_yesNoCancel;
    std::deque<std::optional<std::string>> m_folders;
    std::deque<std::optional<std::string>> m_saveFiles;
};

}  // namespace framewise
