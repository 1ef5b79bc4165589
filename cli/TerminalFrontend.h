// The command-line tool's Frontend: messages and status lines to the error stream,
// questions answered from the terminal when there is one (else Yes), events queued.
#pragma once

#include <iosfwd>
#include <mutex>
#include <string>

#include "config/Frontend.h"

namespace framewise::cli {

class TerminalFrontend : public Frontend {
  public:
    // interactive: questions are asked on err and answered from in; otherwise every
    // question is answered Yes and every choice cancelled.
    TerminalFrontend(std::ostream& err, std::istream& in, bool interactive);
    // Interactive when standard input is a terminal.
    static bool StdinIsTerminal();

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
    // A command's run has no window to post to, and nothing waits on these events: dropped.
    void PostEvent(std::string_view name, long wParam = 0) override;

    void SetQuiet(bool quiet) { m_quiet = quiet; }  // drops status and progress lines

  private:
    std::string AskLine(const std::string& prompt);

    std::ostream& m_err;
    std::istream& m_in;
    bool m_interactive;
    bool m_quiet = false;
    int m_progressHigh = 100;
    int m_lastPercent = -1;
    std::mutex m_mutex;
};

}  // namespace framewise::cli
