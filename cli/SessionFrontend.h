// The terminal Frontend of the commands that run a frame session: one redrawn progress bar
// with the status text on stderr when stderr is a terminal, only the messages otherwise.
#pragma once

#include <iosfwd>
#include <mutex>
#include <string>

#include "album/FrameSession.h"
#include "cli/Command.h"
#include "cli/TerminalFrontend.h"

namespace framewise::cli {

class SessionFrontend : public TerminalFrontend {
  public:
    // bar: draw the progress bar (and status) on err; without it both are left out.
    SessionFrontend(std::ostream& err, bool bar);
    static bool StderrIsTerminal();

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;
    void ShowProgress(bool show) override;
    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& title, const std::string& text) override;

    // Ends the bar's line so that what follows starts on a fresh one.
    void EndBar();

  protected:
    void BeforeLine() override { EndBar(); }

  private:
    void Draw();  // with m_barMutex held

    std::ostream& m_out;
    bool m_bar;
    std::mutex m_barMutex;
    std::string m_status;
    int m_low = 0;
    int m_high = 100;
    int m_pos = 0;
    bool m_drawn = false;
};

// Opens the session of a command (work root and simulated frame from the global options, and
// --yes for the frontend's questions), then runs the device arrival and, when asked, the album
// read. Answers kExitOk, or
// kExitFailure after one line on err.
int OpenFrameSession(Context& ctx, SessionFrontend& frontend, FrameSession& session,
                     bool readAlbum);

// The session of a command that works on the frame's whole flash (backup, restore): opened
// and attached as above, without the album read, which the whole flash takes the place of.
int OpenWholeFlashSession(Context& ctx, SessionFrontend& frontend, FrameSession& session);

// FrameSession::ReadAlbumAgain without the decoder's lines on standard output.
bool ReadAlbumAgainQuietly(FrameSession& session);

}  // namespace framewise::cli
