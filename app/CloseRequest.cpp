#include "app/CloseRequest.h"

#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"

namespace framewise {

namespace {
bool TransferRuns(const AppState& state) {
    return !state.m_bReady && !state.m_bReadStopped;
}
}  // namespace

CloseStep DecideClose(const AppState& state) {
    if (state.m_bBatchAdding) return CloseStep::Ignore;
    if (TransferRuns(state)) return state.m_bReading ? CloseStep::RefuseRead : CloseStep::AskStopSync;
    return CloseStep::AskExit;
}

CloseOutcome HandleCloseRequest(AppState& state, const Language& language, Frontend& frontend) {
    switch (DecideClose(state)) {
        case CloseStep::Ignore:
            return CloseOutcome::Stay;
        case CloseStep::RefuseRead:
            frontend.ShowMessage(language.Tr(
                "SENDING_TIPS", "Sending data, Please operate after sending finished!"));
            return CloseOutcome::Stay;
        case CloseStep::AskStopSync:
            if (!frontend.AskYesNo(language.Tr("STOP_TIPS_1", "Stop download and quit?")))
                return CloseOutcome::Stay;
            // The synchronize may have ended while the question was open; then there is
            // nothing left to stop and the request ends here.
            if (!TransferRuns(state)) return CloseOutcome::Stay;
            state.m_bQuitPending = true;
            frontend.SetStatusText(language.Tr("STOPDOWNLOAD_TIPS", "Stopping……"));
            return CloseOutcome::Stopping;
        case CloseStep::AskExit:
            break;
    }
    const std::string question =
        state.m_bModified
            ? language.Tr("EXIT_TIPS_1",
                          "The pictures in the Preview Album are not synchronized with the "
                          "Watch. Do you really want to quit (and NOT download)?")
            : language.Tr("EXIT_TIPS_2", "Really want to quit?");
    return frontend.AskYesNo(question) ? CloseOutcome::Quit : CloseOutcome::Stay;
}

bool QuitAfterTransfer(const AppState& state) {
    return state.m_bQuitPending;
}

}  // namespace framewise
