// What the commands that edit the frame's album (delete, move) share: the album's commands on
// the session, the write back with signals held, and the one-line picture total.
#pragma once

#include <string>

#include "album/AlbumCommands.h"
#include "album/FrameSession.h"
#include "cli/Command.h"
#include "cli/PlanOutput.h"
#include "cli/SessionFrontend.h"

namespace framewise::cli {

// The album's commands on the session's folder, list and frame, answering through frontend.
AlbumCommands SessionAlbumCommands(FrameSession& session, Frontend& frontend);

// Synchronizes the edited album to the frame with Ctrl-C and the like held back. Answers
// kExitOk, or kExitFailure after one line on ctx.err.
int WriteAlbumBack(Context& ctx, FrameSession& session, SessionFrontend& frontend);

// What synchronizing the edited album would do, printed (as text, or JSON with --json) in
// place of the write: nothing is sent to the frame. Answers kExitOk.
int PrintSynchronizePlan(Context& ctx, FrameSession& session, const PlanOptions& options);

// The window's picture total on one line, as the command's last output line.
std::string OneLineTotal(FrameSession& session, int count);

}  // namespace framewise::cli
