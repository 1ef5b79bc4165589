#include "cli/TerminalFrontend.h"

#include <unistd.h>

#include <istream>
#include <ostream>

namespace framewise::cli {

TerminalFrontend::TerminalFrontend(std::ostream& err, std::istream& in, bool interactive)
    : m_err(err), m_in(in), m_interactive(interactive) {}

bool TerminalFrontend::StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void TerminalFrontend::SetStatusText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (!m_quiet && !text.empty()) m_err << text << "\n";
}

void TerminalFrontend::SetProgressRange(int low, int high) {
    std::lock_guard lock(m_mutex);
    m_progressHigh = high > low ? high - low : 1;
    m_lastPercent = -1;
}

void TerminalFrontend::SetProgressPos(int pos) {
    std::lock_guard lock(m_mutex);
    int percent = pos * 100 / m_progressHigh;
    // One line per tenth keeps a long transfer readable in a log.
    if (m_quiet || percent / 10 == m_lastPercent / 10) return;
    m_lastPercent = percent;
    m_err << percent << "%\n";
}

void TerminalFrontend::ShowProgress(bool) {}
void TerminalFrontend::SetPictureTotalText(const std::string&) {}

void TerminalFrontend::ShowMessage(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_err << text << "\n";
}

void TerminalFrontend::ShowWarning(const std::string& title, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_err << title << ": " << text << "\n";
}

void TerminalFrontend::SetAssumeYes(bool yes) {
    std::lock_guard lock(m_mutex);
    m_assumeYes = yes;
}

void TerminalFrontend::ExpectQuestion(std::string text, Answer answer) {
    std::lock_guard lock(m_mutex);
    m_expected[std::move(text)] = answer;
}

std::string TerminalFrontend::AskLine(const std::string& prompt) {
    BeforeLine();
    std::lock_guard lock(m_mutex);
    m_err << prompt << std::flush;
    std::string line;
    std::getline(m_in, line);
    return line;
}

void TerminalFrontend::SayAssumed(const std::string& answer, const std::string& text) {
    BeforeLine();
    std::lock_guard lock(m_mutex);
    m_err << "assumed " << answer << ": " << text;
    if (answer != "Yes") m_err << "; run with --yes to answer Yes";
    m_err << "\n";
}

std::optional<Answer> TerminalFrontend::Preset(const std::string& text) {
    bool yes = false;
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_expected.find(text); it != m_expected.end()) return it->second;
        yes = m_assumeYes;
    }
    if (!yes) return std::nullopt;
    SayAssumed("Yes", text);
    return Answer::Yes;
}

bool TerminalFrontend::AskYesNo(const std::string& text) {
    if (auto preset = Preset(text)) return *preset == Answer::Yes;
    if (!m_interactive) {
        // Nobody to ask: No leaves everything as it is.
        SayAssumed("No", text);
        return false;
    }
    std::string a = AskLine(text + " [y/n] ");
    return !a.empty() && (a[0] == 'y' || a[0] == 'Y');
}

Answer TerminalFrontend::AskYesNoCancel(const std::string& text) {
    if (auto preset = Preset(text)) return *preset;
    if (!m_interactive) {
        SayAssumed("Cancel", text);
        return Answer::Cancel;
    }
    std::string a = AskLine(text + " [y/n/c] ");
    if (!a.empty() && (a[0] == 'y' || a[0] == 'Y')) return Answer::Yes;
    if (!a.empty() && (a[0] == 'n' || a[0] == 'N')) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> TerminalFrontend::ChooseFolder(const std::string& title) {
    if (!m_interactive) return std::nullopt;
    std::string a = AskLine(title + " (folder, empty to cancel): ");
    if (a.empty()) return std::nullopt;
    return a;
}

std::optional<std::string> TerminalFrontend::ChooseSaveFile(const std::string& defaultExtension,
                                                            const std::string&) {
    if (!m_interactive) return std::nullopt;
    std::string a = AskLine("Save as (." + defaultExtension + ", empty to cancel): ");
    if (a.empty()) return std::nullopt;
    return a;
}

void TerminalFrontend::PostEvent(std::string_view, long) {}

}  // namespace framewise::cli
