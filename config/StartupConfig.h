// The start-up configuration: settings from the shipped start-up file, the working copies of
// both configuration files with their reset rules, the language choice and clean work folders.
#pragma once

#include <filesystem>
#include <string>

#include "config/LanguageUi.h"
#include "config/WorkPaths.h"

namespace framewise {

class Frontend;
class Language;
class Settings;

class StartupConfig {
  public:
    // dataFolder holds the shipped StartInfoUnicode.ini and LanguageUnicode.ini.
    StartupConfig(std::filesystem::path dataFolder, WorkPaths paths)
        : m_dataFolder(std::move(dataFolder)), m_paths(std::move(paths)) {}

    // Whether the system names a default language; on Linux there always is one, so a first
    // run picks the English language. Tests may turn it off.
    void SetSystemLanguageKnown(bool known) { m_systemLanguageKnown = known; }

    // Runs the start-up steps in order: reads the shipped settings, counts the earlier
    // languages, copies the language file, counts again and builds the language menu, makes
    // the working start-up file current (copying or resetting it as the rules say) and
    // settles LangIndex, empties the album and thumbnail folders and deletes the temporary
    // files. settings and language are pointed at their files here. Nothing is reported
    // except the menu keys; missing files leave the defaults.
    void Run(Settings& settings, Language& language, Frontend& frontend);

    // What the run found.
    int m_nJpgQuality = 90;                // JpgQuality of the shipped file
    std::string m_strTitle = "Framewise";  // the window title (Titlename)
    std::string m_strProgressCtrl = "ON";  // ProgressCtrl: "OFF" hides the bar between transfers
    std::string m_strCorpLink;             // CorpLink: the About box's link line
    int m_nPreviousLanguageCount = 0;      // languages of the working copy left by an earlier run
    int m_nLanguageCount = 0;              // languages of the fresh copy
    bool m_bFirstRun = false;              // there was no working start-up file
    bool m_bStartupReset = false;          // the working start-up file was replaced by the shipped
    LanguageMenu m_menu;                   // the context menu as built

    const std::filesystem::path& DataFolder() const { return m_dataFolder; }
    const WorkPaths& Paths() const { return m_paths; }
    std::filesystem::path ShippedStartInfo() const { return m_dataFolder / "StartInfoUnicode.ini"; }
    std::filesystem::path ShippedLanguage() const { return m_dataFolder / "LanguageUnicode.ini"; }

    // The window caption: "Framewise" of the template replaced by the title.
    std::string WindowCaption(std::string_view templateCaption = "Framewise") const;

  private:
    std::filesystem::path m_dataFolder;
    WorkPaths m_paths;
    bool m_systemLanguageKnown = true;
};

}  // namespace framewise
