// framewise-cli pull: reads the frame's album and writes every picture into a folder through
// Save All, as 0001.bmp (the album file itself) or 0001.jpg (a JFIF file).
#include <ostream>
#include <system_error>

#include "cli/Command.h"
#include "cli/SessionFrontend.h"
#include "picture/SavePictures.h"

namespace framewise::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSynopsis = "pull DIR [--format bmp|jpg]";

// Save All's choices made on the command line: the folder (the format is an expected
// question). Whether an existing file is overwritten stays a question: the user's own file
// is kept unless they say otherwise (--yes, or Yes on a terminal).
class PullFrontend : public SessionFrontend {
  public:
    PullFrontend(std::ostream& err, bool bar, std::string folder)
        : SessionFrontend(err, bar), m_folder(std::move(folder)) {}
    std::optional<std::string> ChooseFolder(const std::string&) override { return m_folder; }
    // The closing "All pics were saved!" is said by the command's own summary.
    void ShowMessage(const std::string& text) override {
        if (text != m_finished) SessionFrontend::ShowMessage(text);
    }
    void SetFinishedText(std::string text) { m_finished = std::move(text); }

  private:
    std::string m_folder;
    std::string m_finished;
};

int RunPull(Context& ctx) {
    std::optional<std::string> format;
    if (!TakeOption(ctx.args, "--format", format, ctx.err)) return kExitUsage;
    const std::string ext = format.value_or("bmp");
    if ((ext != "bmp" && ext != "jpg") || ctx.args.size() != 1 || ctx.args[0].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    const fs::path dir = ctx.args[0];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        ctx.err << "framewise-cli: cannot make the folder " << dir.string() << "\n";
        return kExitFailure;
    }

    PullFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal(), dir.string());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;
    const Language& language = session.GetLanguage();
    frontend.SetFinishedText(language.Tr("SAVEPICFINISH_TIPS", "All pics were saved!"));
    frontend.ExpectQuestion(language.Tr(kSaveFormatKey, kSaveFormatText),
                            ext == "bmp" ? Answer::Yes : Answer::No);

    const int count = session.List().ItemCount();
    SaveContext save{session.Folder(),      session.List(),    session.State(),     frontend,
                     session.GetLanguage(), session.Encoder(), session.Connection()};
    const SaveOutcome outcome = SaveAllPictures(save);
    if (count > 0 && !outcome.finished) {
        ctx.err << "framewise-cli: the pictures could not all be written to " << dir.string()
                << "\n";
        return kExitFailure;
    }
    ctx.out << "Wrote " << outcome.written << (outcome.written == 1 ? " picture" : " pictures")
            << " to " << dir.string();
    if (outcome.skipped > 0) ctx.out << " (kept " << outcome.skipped << " existing)";
    ctx.out << "\n";
    return kExitOk;
}

const CommandRegistrar kPull({"pull", kSynopsis,
                              "read the frame's album and write its pictures into DIR as "
                              "0001.bmp ... or JPEG files",
                              RunPull});

}  // namespace
}  // namespace framewise::cli
