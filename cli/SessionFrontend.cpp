#include "cli/SessionFrontend.h"

#include <unistd.h>

#include <iostream>
#include <ostream>

#include "cli/StdoutDiverted.h"

namespace framewise::cli {

namespace {

constexpr int kBarWidth = 30;

// A command's standard output is its result (JSON for info --json), so the decoder's lines
// are dropped while the album is read.
bool ReadWithoutDecoderLines(FrameSession& session) {
    StdoutDiverted diverted;
    return session.ReadAlbum();
}

}  // namespace

SessionFrontend::SessionFrontend(std::ostream& err, bool bar)
    : TerminalFrontend(err, std::cin, TerminalFrontend::StdinIsTerminal()), m_out(err), m_bar(bar) {
    SetQuiet(true);  // status and progress are drawn here, or not at all
}

bool SessionFrontend::StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void SessionFrontend::Draw() {
    if (!m_bar) return;
    const int span = m_high > m_low ? m_high - m_low : 1;
    int percent = (m_pos - m_low) * 100 / span;
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const int filled = percent * kBarWidth / 100;
    std::string line = "\r[" + std::string(static_cast<size_t>(filled), '#') +
                       std::string(static_cast<size_t>(kBarWidth - filled), ' ') + "] ";
    line += (percent < 10 ? "  " : percent < 100 ? " " : "") + std::to_string(percent) + "% ";
    // Status texts may hold line breaks; the bar keeps to one line.
    for (char c : m_status) line += (c == '\n' || c == '\r') ? ' ' : c;
    m_out << line << "\x1b[K" << std::flush;
    m_drawn = true;
}

void SessionFrontend::SetStatusText(const std::string& text) {
    std::lock_guard lock(m_barMutex);
    m_status = text;
    Draw();
}

void SessionFrontend::SetProgressRange(int low, int high) {
    std::lock_guard lock(m_barMutex);
    m_low = low;
    m_high = high;
}

void SessionFrontend::SetProgressPos(int pos) {
    std::lock_guard lock(m_barMutex);
    m_pos = pos;
    Draw();
}

void SessionFrontend::ShowProgress(bool) {}

void SessionFrontend::EndBar() {
    std::lock_guard lock(m_barMutex);
    if (m_drawn) m_out << "\n" << std::flush;
    m_drawn = false;
}

void SessionFrontend::ShowMessage(const std::string& text) {
    EndBar();
    TerminalFrontend::ShowMessage(text);
}

void SessionFrontend::ShowWarning(const std::string& title, const std::string& text) {
    EndBar();
    TerminalFrontend::ShowWarning(title, text);
}

int OpenFrameSession(Context& ctx, SessionFrontend& frontend, FrameSession& session,
                     bool readAlbum) {
    frontend.SetAssumeYes(ctx.global.assumeYes);
    FrameSessionOptions options;
    if (ctx.global.workRoot) options.workRoot = *ctx.global.workRoot;
    if (ctx.global.simulateImage) options.simulateImage = *ctx.global.simulateImage;
    options.simFaults = ctx.global.simFaults;
    std::string error;
    const bool opened = session.Open(options, error);
    frontend.EndBar();
    if (!opened) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    if (!session.DevicePresent()) {
        ctx.err << "framewise-cli: no picture frame is plugged in\n";
        return kExitFailure;
    }
    // The run's own attach, as the window's start-up makes it.
    const bool attached = session.StartupAttach();
    frontend.EndBar();
    if (!attached) {
        ctx.err << "framewise-cli: the picture frame could not be attached\n";
        return kExitFailure;
    }
    const bool read = !readAlbum || ReadWithoutDecoderLines(session);
    frontend.EndBar();
    // The recovery check ran before the read (FrameSession::StartAlbumRead).
    const auto& offer = session.Recovery().LastOffer();
    switch (session.LastRecovery()) {
        case RecoveryOutcome::Restored:
            ctx.err << "framewise-cli: put the backup " << offer->backup.string()
                    << " back into the frame\n";
            break;
        case RecoveryOutcome::Declined:
            ctx.err << "framewise-cli: the backup can be put back later with: framewise-cli "
                       "restore --unfinished\n";
            break;
        case RecoveryOutcome::Failed:
            // The frame may be half restored: nothing more is done to it in this run.
            ctx.err << "framewise-cli: putting the backup back into the frame failed\n";
            return kExitFailure;
        case RecoveryOutcome::None:
        case RecoveryOutcome::Told:
            break;
    }
    if (!read) {
        ctx.err << "framewise-cli: reading the album from the frame failed\n";
        return kExitFailure;
    }
    return kExitOk;
}

bool ReadAlbumAgainQuietly(FrameSession& session) {
    StdoutDiverted diverted;
    return session.ReadAlbumAgain();
}

int OpenWholeFlashSession(Context& ctx, SessionFrontend& frontend, FrameSession& session) {
    if (int code = OpenFrameSession(ctx, frontend, session, false); code != kExitOk) return code;
    session.State().m_bReading = false;
    return kExitOk;
}

}  // namespace framewise::cli
