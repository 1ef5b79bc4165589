#include "config/StartupConfig.h"

#include "config/Language.h"
#include "config/ProfileFile.h"
#include "config/Settings.h"

namespace framewise {

namespace fs = std::filesystem;

std::string StartupConfig::WindowCaption(std::string_view templateCaption) const {
    return ReplaceTitle(templateCaption, m_strTitle);
}

void StartupConfig::Run(Settings& settings, Language& language, Frontend& frontend) {
    // The shipped file is the current one until the working copy takes over.
    settings.SetShipped(ShippedStartInfo());
    settings.SetCurrent(ShippedStartInfo());
    m_nJpgQuality = settings.ReadShippedInt("info", "JpgQuality", 90);
    m_strTitle = settings.ReadShippedText("info", "Titlename", "Framewise");
    m_strProgressCtrl = settings.ReadShippedText("info", "ProgressCtrl", "ON");
    m_strCorpLink = settings.ReadShippedText("info", "CorpLink", "");

    // The language list of the previous run tells whether the shipped file has changed.
    language.SetLangIndex(0);
    language.SetFile(m_paths.language);
    m_nPreviousLanguageCount = language.CountLanguages();
    CopyProfileFile(ShippedLanguage(), m_paths.language);
    m_nLanguageCount = language.CountLanguages();
    m_menu = BuildLanguageMenu(language, frontend);

    std::error_code ec;
    m_bFirstRun = !fs::exists(m_paths.startInfo, ec);
    m_bStartupReset = false;
    int langIndex = 0;
    if (!m_bFirstRun) {
        settings.SetCurrent(m_paths.startInfo);
        langIndex = settings.ReadInt("info", "LangIndex", -1);
        if (langIndex == -1 || m_nLanguageCount == 0 ||
            m_nPreviousLanguageCount != m_nLanguageCount) {
            settings.ResetCurrentFromShipped();
            m_bStartupReset = true;
            langIndex = settings.ReadInt("info", "LangIndex", 0);
        }
    } else {
        CopyProfileFile(ShippedStartInfo(), m_paths.startInfo);
        settings.SetCurrent(m_paths.startInfo);
        if (m_systemLanguageKnown) {
            auto names = language.Languages();
            for (size_t i = 0; i < names.size(); ++i) {
                if (names[i].find("English") != std::string::npos) {
                    langIndex = static_cast<int>(i);
                    break;
                }
            }
        }
    }
    // A stored index past the list (a hand-edited file) would select no language at all.
    if (langIndex < 0 || (m_nLanguageCount > 0 && langIndex >= m_nLanguageCount)) langIndex = 0;
    language.SetLangIndex(langIndex);

    m_paths.EmptyAlbumFolder();
    m_paths.EmptyThumbFolder();
    m_paths.DeleteTempFiles();
}

}  // namespace framewise
