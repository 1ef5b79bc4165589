// framewise-cli delete N...: one whole run that reads the frame's album, deletes the pictures
// numbered N (1 is 0001) through the album's Delete command and synchronizes the frame.
#include <ostream>
#include <set>

#include "cli/AlbumEdit.h"
#include "cli/Command.h"
#include "cli/PictureNumber.h"
#include "cli/SessionFrontend.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "delete N... [--dry-run [--json]]";

int RunDelete(Context& ctx) {
    PlanOptions plan;
    if (!TakePlanOptions(ctx, kSynopsis, plan)) return kExitUsage;
    std::set<long> numbers;
    for (const std::string& arg : ctx.args) {
        long n = 0;
        if (!ParsePictureNumber(arg, n)) {
            ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
            return kExitUsage;
        }
        numbers.insert(n);
    }
    if (numbers.empty()) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }

    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;
    // The command line is the user's answer to Delete's own question, and to that one only:
    // whatever else is asked on the way (a failed backup before the write) is not.
    frontend.ExpectQuestion(
        session.GetLanguage().Tr("DELETE_TIPS_2", "Delete the selected photo(s)?"), Answer::Yes);

    AlbumListModel& list = session.List();
    const int count = list.ItemCount();
    if (*numbers.rbegin() > count) {
        ctx.err << "framewise-cli: there is no picture " << *numbers.rbegin()
                << " (the album holds " << count << ")\n";
        return kExitFailure;
    }
    // Selected as a click on each would select them, then the Delete button.
    list.ClearSelection();
    for (long n : numbers) list.SetItemSelected(static_cast<int>(n - 1), true);
    AlbumCommands commands = SessionAlbumCommands(session, frontend);
    const DeleteOutcome outcome = commands.DeleteSelected();
    if (!outcome.deleted) {
        ctx.err << "framewise-cli: nothing was deleted\n";
        return kExitFailure;
    }
    if (plan.dryRun) return PrintSynchronizePlan(ctx, session, plan);
    if (int code = WriteAlbumBack(ctx, session, frontend); code != kExitOk) return code;
    ctx.out << "Deleted " << numbers.size() << (numbers.size() == 1 ? " picture" : " pictures")
            << " (";
    bool first = true;
    for (long n : numbers) {
        ctx.out << (first ? "" : ", ") << AlbumFolder::FileName(static_cast<int>(n)).substr(0, 4);
        first = false;
    }
    ctx.out << "); the frame now holds " << outcome.count << "\n"
            << OneLineTotal(session, outcome.count) << "\n";
    return kExitOk;
}

const CommandRegistrar kDelete({"delete", kSynopsis,
                                "delete the album pictures numbered N (1 = 0001) and write the "
                                "album back to the frame; with --dry-run, print the write plan "
                                "instead and write nothing (--json: as JSON)",
                                RunDelete});

}  // namespace
}  // namespace framewise::cli
