// framewise-cli add: reads the frame's album, adds every picture file as a batch would
// (framed by the centred crop frame, or stretched whole to the LCD), and synchronizes.
#include <ostream>

#include "cli/Command.h"
#include "cli/AlbumEdit.h"
#include "cli/DeferredSignals.h"
#include "cli/SessionFrontend.h"
#include "cli/StdoutDiverted.h"
#include "picture/Workbench.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis =
    "add FILE... [--fit crop|stretch] [--quality Q] [--dry-run [--json]]";

int Usage(Context& ctx) {
    ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
    return kExitUsage;
}

int RunAdd(Context& ctx) {
    PlanOptions plan;
    if (!TakePlanOptions(ctx, kSynopsis, plan)) return kExitUsage;
    std::optional<std::string> fit;
    std::optional<std::string> quality;
    if (!TakeOption(ctx.args, "--fit", fit, ctx.err)) return kExitUsage;
    if (!TakeOption(ctx.args, "--quality", quality, ctx.err)) return kExitUsage;
    const std::string mode = fit.value_or("crop");
    if ((mode != "crop" && mode != "stretch") || ctx.args.empty()) return Usage(ctx);
    long q = 0;
    if (quality && (!ParseInt(*quality, q) || q < 10 || q > 100)) {
        ctx.err << "framewise-cli: the quality must be 10 to 100\n";
        return kExitUsage;
    }
    for (const std::string& arg : ctx.args)
        if (arg.rfind("--", 0) == 0) return Usage(ctx);

    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;

    Workbench bench(session, frontend);
    bench.Attached();
    if (quality) bench.Adder().SetJpgQuality(static_cast<int>(q));
    bench.SetFitMode(mode == "crop" ? FitMode::Crop : FitMode::Stretch);

    int added = 0;
    {
        StdoutDiverted dropped;  // the output is the list of added files
        added = bench.AddAll(ctx.args);
    }
    frontend.EndBar();
    // With --json the standard output is the plan alone; the pictures go to stderr then.
    std::ostream& list = plan.json ? ctx.err : ctx.out;
    const char* verb = plan.dryRun ? "would add " : "added ";
    for (const BatchItem& item : bench.Batch().Items()) {
        if (item.added)
            list << verb << item.path << " (quality " << item.quality << ", " << item.size
                    << " bytes)\n";
        else
            list << "refused " << item.path << "\n";
    }
    const int refused = static_cast<int>(ctx.args.size()) - added;
    if (plan.dryRun) {
        PrintSynchronizePlan(ctx, session, plan);
        if (refused > 0) {
            ctx.err << "framewise-cli: " << refused << " of " << ctx.args.size()
                    << " pictures would not be added\n";
            return kExitFailure;
        }
        return kExitOk;
    }
    bool written = true;
    if (added > 0) {
        DeferredSignals held;
        written = session.Synchronize();
    }
    if (!written) {
        ctx.err << "framewise-cli: the frame could not be written\n";
        return kExitFailure;
    }
    ctx.out << "Total pictures: " << session.List().ItemCount() << "\n";
    if (refused > 0) {
        ctx.err << "framewise-cli: " << refused << " of " << ctx.args.size()
                << " pictures not added\n";
        return kExitFailure;
    }
    return kExitOk;
}

const CommandRegistrar kAdd({"add", kSynopsis,
                             "add picture files to the frame's album, as a batch add does, "
                             "and write the album to the frame; with --dry-run, print the write "
                             "plan instead and write nothing (--json: as JSON)",
                             RunAdd});

}  // namespace
}  // namespace framewise::cli
