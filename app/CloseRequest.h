// What a request to close the window (close box, Exit, Ctrl+E) does in each state: ignored
// during a batch, refused while reading, a stop request during a synchronize, else the exit
// question. Plain code over the shared flags; questions go through the Frontend.
#pragma once

#include <string>

namespace framewise {

struct AppState;
class Frontend;
class Language;

enum class CloseOutcome {
    Stay,      // nothing changes (ignored, refused, or the user answered No)
    Stopping,  // a synchronize was asked to stop; its end event ends the program
    Quit,      // clean up and end now
};

// What the request leads to before anyone is asked.
enum class CloseStep {
    Ignore,       // a batch runs
    RefuseRead,   // the album read runs: SENDING_TIPS
    AskStopSync,  // a synchronize runs: STOP_TIPS_1
    AskExit,      // idle: EXIT_TIPS_1 when modified, else EXIT_TIPS_2
};

CloseStep DecideClose(const AppState& state);

// Runs the request: shows or asks through frontend and sets m_bQuitPending and the
// "Stopping" status when the user stops a synchronize.
CloseOutcome HandleCloseRequest(AppState& state, const Language& language, Frontend& frontend);

// After a read or synchronize has ended (successfully or not): whether the program ends
// now because the user had asked to stop and quit.
bool QuitAfterTransfer(const AppState& state);

}  // namespace framewise
