#include "config/RecordingFrontend.h"

namespace framewise {

void RecordingFrontend::Add(std::string kind, std::string text, long value) {
    std::lock_guard lock(m_mutex);
    m_entries.push_back({std::move(kind), std::move(text), value});
}

void RecordingFrontend::SetStatusText(const std::string& text) { Add("status", text); }
void RecordingFrontend::SetProgressRange(int low, int high) {
    Add("range", std::to_string(low) + ".." + std::to_string(high), high);
}
void RecordingFrontend::SetProgressPos(int pos) { Add("progress", {}, pos); }
void RecordingFrontend::ShowProgress(bool show) { Add("show", {}, show ? 1 : 0); }
void RecordingFrontend::SetPictureTotalText(const std::string& text) { Add("total", text); }
void RecordingFrontend::ShowMessage(const std::string& text) { Add("message", text); }
void RecordingFrontend::ShowWarning(const std::string& title, const std::string& text) {
    Add("warning", text);
    (void)title;
}

bool RecordingFrontend::AskYesNo(const std::string& text) {
    Add("yesno", text);
    std::lock_guard lock(m_mutex);
    if (m_yesNo.empty()) return true;
    bool answer = m_yesNo.front();
    m_yesNo.pop_front();
    return answer;
}

Answer RecordingFrontend::AskYesNoCancel(const std::string& text) {
    Add("yesnocancel", text);
    std::lock_guard lock(m_mutex);
    if (m_yesNoCancel.empty()) return Answer::Yes;
    Answer answer = m_yesNoCancel.front();
    m_yesNoCancel.pop_front();
    return answer;
}

std::optional<std::string> RecordingFrontend::ChooseFolder(const std::string& title) {
    Add("folder", title);
    std::lock_guard lock(m_mutex);
    if (m_folders.empty()) return std::nullopt;
    auto answer = m_folders.front();
    m_folders.pop_front();
    return answer;
}

std::optional<std::string> RecordingFrontend::ChooseSaveFile(const std::string& defaultExtension,
                                                             const std::string& filter) {
    Add("savefile", defaultExtension + "|" + filter);
    std::lock_guard lock(m_mutex);
    if (m_saveFiles.empty()) return std::nullopt;
    auto answer = m_saveFiles.front();
    m_saveFiles.pop_front();
    return answer;
}

void RecordingFrontend::PostEvent(std::string_view name, long wParam) {
    Add("event", std::string(name), wParam);
}

void RecordingFrontend::QueueYesNo(bool yes) {
    std::lock_guard lock(m_mutex);
    m_yesNo.push_back(yes);
}
void RecordingFrontend::QueueYesNoCancel(Answer answer) {
    std::lock_guard lock(m_mutex);
    m_yesNoCancel.push_back(answer);
}
void RecordingFrontend::QueueFolder(std::optional<std::string> folder) {
    std::lock_guard lock(m_mutex);
    m_folders.push_back(std::move(folder));
}
void RecordingFrontend::QueueSaveFile(std::optional<std::string> file) {
    std::lock_guard lock(m_mutex);
    m_saveFiles.push_back(std::move(file));
}

std::vector<RecordingFrontend::Entry> RecordingFrontend::Entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

std::vector<std::string> RecordingFrontend::Texts(const std::string& kind) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& e : m_entries)
        if (e.kind == kind) out.push_back(e.text);
    return out;
}

std::vector<std::string> RecordingFrontend::Questions() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& e : m_entries)
        if (e.kind == "yesno" || e.kind == "yesnocancel") out.push_back(e.text);
    return out;
}

std::string RecordingFrontend::LastStatus() const {
    auto all = Texts("status");
    return all.empty() ? std::string() : all.back();
}

std::string RecordingFrontend::LastTotal() const {
    auto all = Texts("total");
    return all.empty() ? std::string() : all.back();
}

int RecordingFrontend::Count(const std::string& kind, const std::string& text) const {
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto& e : m_entries)
        if (e.kind == kind && e.text == text) ++n;
    return n;
}

void RecordingFrontend::Clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

}  // namespace framewise
