// framewise-cli config: runs the start-up configuration on the work root and shows what it
// settled: the language list, the current language and the settings files.
#include <ostream>

#include "cli/Command.h"
#include "config/ControlIds.h"
#include "config/Language.h"
#include "config/LanguageUi.h"
#include "config/RecordingFrontend.h"
#include "config/Settings.h"
#include "config/StartupConfig.h"
#include "config/WorkPaths.h"

namespace framewise::cli {

namespace {

int RunConfig(Context& ctx) {
    std::optional<std::string> dataFolder, languageArg;
    if (!TakeOption(ctx.args, "--data", dataFolder, ctx.err)) return kExitUsage;
    if (!TakeOption(ctx.args, "--language", languageArg, ctx.err)) return kExitUsage;
    if (!ctx.args.empty()) {
        ctx.err << "framewise-cli config: unexpected argument " << ctx.args.front() << "\n";
        return kExitUsage;
    }
    long newIndex = -1;
    if (languageArg && (!ParseInt(*languageArg, newIndex) || newIndex < 0)) {
        ctx.err << "framewise-cli config: --language takes a language index\n";
        return kExitUsage;
    }

    std::string error;
    std::optional<std::filesystem::path> root;
    if (ctx.global.workRoot) root = *ctx.global.workRoot;
    auto paths = WorkPaths::Prepare(root, error);
    if (!paths) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    StartupConfig config(dataFolder ? std::filesystem::path(*dataFolder) : FindDataFolder(),
                         *paths);
    Settings settings;
    Language language;
    RecordingFrontend frontend;
    config.Run(settings, language, frontend);

    CaptionState state{.m_bCropNext = false, .attached = false, .quality = config.m_nJpgQuality};
    int command = kCmdLanguage(language.LangIndex());
    if (languageArg) {
        if (newIndex >= language.LanguageCount()) {
            ctx.err << "framewise-cli config: no language " << newIndex << " (there are "
                    << language.LanguageCount() << ")\n";
            return kExitFailure;
        }
        command = kCmdLanguage(static_cast<int>(newIndex));
    }
    // The window applies the language at start-up, which records the choice.
    ApplyLanguage(command, language, settings, state, config.m_strTitle, frontend);
    for (const auto& message : frontend.Messages()) ctx.err << "framewise-cli: " << message << "\n";

    auto names = language.Languages();
    ctx.out << "Data folder: " << config.DataFolder().string() << "\n"
            << "Work root: " << paths->root.string() << "\n"
            << "Shipped start-up file: " << settings.Shipped().string() << "\n"
            << "Start-up file: " << settings.Current().string()
            << (config.m_bFirstRun       ? " (new)"
                : config.m_bStartupReset ? " (reset)"
                                         : "")
            << "\n"
            << "Language file: " << language.File().string() << "\n"
            << "Title: " << config.m_strTitle << "\n"
            << "Languages: " << names.size() << "\n";
    for (size_t i = 0; i < names.size(); ++i) {
        ctx.out << (static_cast<int>(i) == language.LangIndex() ? "  * " : "    ") << i << " "
                << names[i] << "\n";
    }
    ctx.out << "Current language: "
            << (language.CurrentName().empty() ? "(none: English defaults)"
                                               : language.CurrentName())
            << " (LangIndex " << language.LangIndex() << ")\n";
    return kExitOk;
}

const CommandRegistrar kRegistrar({
    "config",
    "config [--data DIR] [--language INDEX]",
    "prepare the work root and configuration files; list the languages, choose one",
    RunConfig,
});

}  // namespace

}  // namespace framewise::cli
