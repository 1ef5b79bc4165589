// The command-line tool's Frontend: messages and status lines to the error stream, questions
// answered as the command line says (its own expected questions, --yes), else from the
// terminal when there is one, else No with a line saying so; events dropped.
#pragma once

#include <iosfwd>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "config/Frontend.h"

namespace framewise::cli {

class TerminalFrontend : public Frontend {
  public:
    // interactive: questions are asked on err and answered from in; otherwise every
    // question is answered No (a choice cancelled) and err says what was assumed.
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

    // --yes: every question not expected is answered Yes without asking (err says so).
    void SetAssumeYes(bool yes);
    // A question the command itself stands for (its command line is the user's answer, e.g.
    // delete's "Delete the selected photo(s)?"): answered so, without asking, whatever --yes
    // says. Any other question keeps the rules above; a Yes that risks the user's pictures is
    // thus never given without the user's say.
    void ExpectQuestion(std::string text, Answer answer);

  protected:
    // Before a line of the frontend's own (a question, an assumed answer): whatever the
    // terminal shows in place must end first.
    virtual void BeforeLine() {}

  private:
    std::string AskLine(const std::string& prompt);
    // The command's answer or --yes's, when either stands; said on err for --yes.
    std::optional<Answer> Preset(const std::string& text);
    void SayAssumed(const std::string& answer, const std::string& text);

    std::ostream& m_err;
    std::istream& m_in;
    bool m_interactive;
    bool m_quiet = false;
    int m_progressHigh = 100;
    int m_lastPercent = -1;
    bool m_assumeYes = false;
    std::map<std::string, Answer> m_expected;
    std::mutex m_mutex;
};

}  // namespace framewise::cli
