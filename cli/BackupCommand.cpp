// framewise-cli backup: reads the frame's whole flash, every 64 KB verified, into a file.
#include <filesystem>
#include <ostream>

#include "cli/Command.h"
#include "cli/SessionFrontend.h"
#include "transfer/FlashBackup.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "backup FILE [--force]";

int RunBackup(Context& ctx) {
    const bool force = TakeFlag(ctx.args, "--force");
    if (ctx.args.size() != 1 || ctx.args[0].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    // An existing file may be an earlier backup: it is only replaced when asked to.
    std::error_code ec;
    if (!force && std::filesystem::exists(ctx.args[0], ec)) {
        ctx.err << "framewise-cli: " << ctx.args[0]
                << " already exists; choose another name or add --force\n";
        return kExitFailure;
    }
    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenWholeFlashSession(ctx, frontend, session); code != kExitOk) return code;
    std::string error;
    const bool ok = BackupWholeFlash(session.Connection(), ctx.args[0], error);
    frontend.EndBar();
    if (!ok) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Saved the frame's " << session.Connection().Info().flashSizeKB << " KB flash to "
            << ctx.args[0] << "\n";
    return kExitOk;
}

const CommandRegistrar kBackup({"backup", kSynopsis,
                                "save the frame's whole flash, verified, into FILE (a new file unless --force)", RunBackup});

}  // namespace
}  // namespace framewise::cli
