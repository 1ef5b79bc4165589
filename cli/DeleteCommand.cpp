// framewise-cli delete N...: one whole run that reads the frame's album, deletes the pictures
// numbered N (1 is 0001) through the album's Delete command and synchronizes the frame.
#include <algorithm>
#include <ostream>
#include <set>

#include "album/AlbumCommands.h"
#include "album/PictureTotal.h"
#include "cli/Command.h"
#include "cli/DeferredSignals.h"
#include "cli/PictureNumber.h"
#include "cli/SessionFrontend.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "delete N...";

// The command line is the user's confirmation; everything else is the session's terminal.
class ConfirmedFrontend : public SessionFrontend {
  public:
    using SessionFrontend::SessionFrontend;
    bool AskYesNo(const std::string&) override { return true; }
};

std::string OneLineTotal(FrameSession& session, int count) {
    std::string text =
        PictureTotalText(session.GetLanguage().Tr("IDC_STATIC_HIDSTATUS", "Total Pictures"), count,
                         session.Totals());
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

int RunDelete(Context& ctx) {
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

    ConfirmedFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;

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
    AlbumCommands commands(session.Folder(), list, session.Connection().Model(), session.State(),
                           frontend, session.GetLanguage(),
                           [&session](int c) { session.Store().UpdatePictureTotal(c); });
    const DeleteOutcome outcome = commands.DeleteSelected();
    if (!outcome.deleted) {
        ctx.err << "framewise-cli: nothing was deleted\n";
        return kExitFailure;
    }
    bool written = false;
    {
        DeferredSignals held;
        written = session.Synchronize();
    }
    frontend.EndBar();
    if (!written) {
        ctx.err << "framewise-cli: synchronizing the album to the frame failed\n";
        return kExitFailure;
    }
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
                                "album back to the frame",
                                RunDelete});

}  // namespace
}  // namespace framewise::cli
