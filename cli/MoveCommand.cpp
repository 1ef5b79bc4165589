// framewise-cli move N up|down: one whole run that reads the frame's album, moves picture N
// (1 is 0001) one place through the album's Move Up or Move Down and synchronizes the frame.
#include <ostream>

#include "cli/AlbumEdit.h"
#include "cli/Command.h"
#include "cli/PictureNumber.h"
#include "cli/SessionFrontend.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "move N up|down [--dry-run [--json]]";

int RunMove(Context& ctx) {
    PlanOptions plan;
    if (!TakePlanOptions(ctx, kSynopsis, plan)) return kExitUsage;
    long n = 0;
    if (ctx.args.size() != 2 || !ParsePictureNumber(ctx.args[0], n) ||
        (ctx.args[1] != "up" && ctx.args[1] != "down")) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    const bool up = ctx.args[1] == "up";

    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;

    AlbumListModel& list = session.List();
    const int count = list.ItemCount();
    if (n > count) {
        ctx.err << "framewise-cli: there is no picture " << n << " (the album holds " << count
                << ")\n";
        return kExitFailure;
    }
    const int index = static_cast<int>(n - 1);
    list.ClearSelection();
    list.SetItemSelected(index, true);
    AlbumCommands commands = SessionAlbumCommands(session, frontend);
    const std::string from = AlbumFolder::FileName(index + 1).substr(0, 4);
    // Already in place is what the user asked for: a success. Any other refusal is not.
    if (up ? index == 0 : index == count - 1) {
        // Nothing to write: the plan of a synchronize would write nothing either.
        if (plan.json) {
            WritePlan none;
            none.pictures = count;
            PrintPlanJson(ctx.out, none);
            return kExitOk;
        }
        ctx.out << "Picture " << from << " is already " << (up ? "first" : "last")
                << "; nothing changed\n"
                << OneLineTotal(session, count) << "\n";
        return kExitOk;
    }
    if (!(up ? commands.MoveUp() : commands.MoveDown())) {
        frontend.EndBar();
        ctx.err << "framewise-cli: picture " << from << " could not be moved "
                << (up ? "up" : "down") << "; the frame was not changed\n";
        return kExitFailure;
    }
    if (plan.dryRun) return PrintSynchronizePlan(ctx, session, plan);
    if (int code = WriteAlbumBack(ctx, session, frontend); code != kExitOk) return code;
    const std::string to = AlbumFolder::FileName(index + (up ? 0 : 2)).substr(0, 4);
    ctx.out << "Moved picture " << from << " " << (up ? "up" : "down") << " to " << to << "\n"
            << OneLineTotal(session, count) << "\n";
    return kExitOk;
}

const CommandRegistrar kMove({"move", kSynopsis,
                              "move album picture N (1 = 0001) one place up or down and write "
                              "the album back to the frame; with --dry-run, print the write plan "
                              "instead and write nothing (--json: as JSON)",
                              RunMove});

}  // namespace
}  // namespace framewise::cli
