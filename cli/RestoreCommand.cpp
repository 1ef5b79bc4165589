// framewise-cli restore: puts a backup of this frame back into it (only the blocks where the
// backup's album lives and the frame differs, never the protected area), every block verified;
// without a file, the backup the frame's unfinished write calls for.
#include <ostream>

#include "cli/Command.h"
#include "cli/DeferredSignals.h"
#include "cli/PlanOutput.h"
#include "cli/SessionFrontend.h"
#include "transfer/FlashBackup.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "restore [FILE | --unfinished] [--dry-run [--json]]";

// The backup the frame's recovery check offers; empty after a line on err when there is none.
std::filesystem::path UnfinishedBackup(Context& ctx, FrameSession& session) {
    const auto offer = session.Recovery().Find();
    if (!offer) {
        ctx.err << "framewise-cli: nothing to put back: the frame's last write finished and its "
                   "album index is sound (name a backup FILE to restore one; this frame's are in "
                << (session.Recovery().BackupRoot() / FrameId(session.Connection().Info())).string()
                << ")\n";
        return {};
    }
    if (offer->backup.empty())
        ctx.err << "framewise-cli: the frame's last write did not finish, but no backup of the "
                   "frame is at hand\n";
    return offer->backup;
}

int RunRestore(Context& ctx) {
    PlanOptions plan;
    if (!TakePlanOptions(ctx, kSynopsis, plan)) return kExitUsage;
    const bool unfinished = TakeFlag(ctx.args, "--unfinished");
    if (ctx.args.size() > 1 || (unfinished && !ctx.args.empty()) ||
        (!ctx.args.empty() && ctx.args[0].rfind("--", 0) == 0)) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenWholeFlashSession(ctx, frontend, session); code != kExitOk) return code;
    const std::filesystem::path file =
        ctx.args.empty() ? UnfinishedBackup(ctx, session) : std::filesystem::path(ctx.args[0]);
    if (file.empty()) return kExitFailure;

    std::string error;
    if (plan.dryRun) {
        // The frame is read to tell the blocks that differ; nothing is written, no journal left.
        WritePlan restorePlan;
        const bool planned = PlanRestore(session.Connection(), file, restorePlan, error);
        frontend.EndBar();
        if (!planned) {
            ctx.err << "framewise-cli: " << error << "\n";
            return kExitFailure;
        }
        if (plan.json)
            PrintPlanJson(ctx.out, restorePlan, file.string());
        else
            PrintPlan(ctx.out, restorePlan, file.string());
        return kExitOk;
    }
    RestoreResult result;
    bool ok = false;
    {
        DeferredSignals held;
        ok = session.Recovery().Restore(file, error, &result);
    }
    frontend.EndBar();
    if (!ok) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Restored " << file.string() << " into the frame (" << result.blocksWritten << " of "
            << result.blocksCompared << " album blocks rewritten)\n";
    // What the frame holds now, read as any run reads it.
    const bool read = ReadAlbumAgainQuietly(session);
    frontend.EndBar();
    if (!read) {
        ctx.err << "framewise-cli: reading the album back from the frame failed\n";
        return kExitFailure;
    }
    ctx.out << "The frame holds " << session.List().ItemCount() << " pictures\n";
    return kExitOk;
}

const CommandRegistrar kRestore(
    {"restore", kSynopsis,
     "put the album of a backup of this frame from FILE back into it, verified, rewriting only "
     "the blocks that differ; without FILE (or with --unfinished), the backup taken before the "
     "frame's unfinished synchronize (or, for a frame whose album index is unreadable or "
     "unmarked, its newest backup); with --dry-run, read the frame to tell the blocks that "
     "differ and print the plan, writing nothing (--json: as JSON)",
     RunRestore});

}  // namespace
}  // namespace framewise::cli
