// framewise-cli restore: writes a backup of this frame back into it (picture area and index,
// never the protected area), every block verified.
#include <ostream>

#include "cli/Command.h"
#include "cli/DeferredSignals.h"
#include "cli/SessionFrontend.h"
#include "transfer/FlashBackup.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "restore FILE";

int RunRestore(Context& ctx) {
    if (ctx.args.size() != 1 || ctx.args[0].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenWholeFlashSession(ctx, frontend, session); code != kExitOk) return code;
    std::string error;
    bool ok = false;
    {
        DeferredSignals held;
        ok = RestoreFlash(session.Connection(), ctx.args[0], error);
    }
    frontend.EndBar();
    if (!ok) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Restored " << ctx.args[0] << " into the frame\n";
    return kExitOk;
}

const CommandRegistrar kRestore({"restore", kSynopsis,
                                 "write a backup of this frame from FILE back into it, verified",
                                 RunRestore});

}  // namespace
}  // namespace framewise::cli
