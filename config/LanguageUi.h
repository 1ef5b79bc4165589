// What the language menu, a language switch, the captions, the tooltips and the About box
// show, as data the window applies to its widgets; the settings writes happen here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace framewise {

class Frontend;
class Language;
class Settings;

struct ControlText {
    int controlId;
    std::string text;
};

struct LanguageMenuEntry {
    int commandId;  // 9002 + the language's index
    std::string text;
    bool checked = false;
};

// The context menu: one entry (caption) opening the list of languages.
struct LanguageMenu {
    std::string caption;
    std::vector<LanguageMenuEntry> entries;
    bool complete = false;  // false when a menu key was missing (and reported)
};

// Reads LANGUAGE_MENU and SUBMENU_1..n of the current language. A missing key is reported
// with "Item %s is not exist in LanguageUnicode.ini file!" and ends the menu there.
LanguageMenu BuildLanguageMenu(const Language& language, Frontend& frontend);

// The window state the captions depend on.
struct CaptionState {
    bool m_bCropNext = false;  // the next Rect press switches the crop rectangle on
    bool attached = false;     // a device counts as attached
    int quality = 90;          // the JPEG quality setting
};

struct Captions {
    std::string myComputer, desktop, myDocument;  // folder tree root items
    std::vector<ControlText> controls;            // caption table order, then Rect/Clear (1012)
    std::string qualityLabelText;                 // "%s%d": the label text with the quality
    std::string statusBarLeft;                    // left part of the recreated status bar
    std::string statusText;                       // DEVICEON_TIPS / DEVICEOFF_TIPS
};

// Looks up every caption and writes [info] Language (the current language's name) to the
// current start-up file.
Captions ApplyCaptions(const Language& language, const Settings& settings,
                       const CaptionState& state);

// The tooltips of the fourteen command controls in registration order.
std::vector<ControlText> ApplyTooltips(const Language& language, bool cropNext);

struct LanguageSwitch {
    bool applied = false;       // false: the id named no listed language; nothing changed
    std::string aboutMenuText;  // "%s %s(&A)..." with ABOUT_SYSMENU and the window title
    Captions captions;
    std::vector<ControlText> tooltips;
    std::string menuCaption;  // LANGUAGE_MENU of the new language, default "Language"
    std::vector<LanguageMenuEntry> entries;  // texts and check marks, up to a missing key
    bool written = false;  // LangIndex and Language were written to the start-up file
};

// Switches to the language of menu command id (9002 + index): sets LangIndex, looks up
// every text, renames and checks the menu entries, and records the choice. A missing
// SUBMENU_n is reported with "Item %s is not exist in the LanguageUnicode.ini file." and the
// choice is then not recorded.
LanguageSwitch ApplyLanguage(int commandId, Language& language, const Settings& settings,
                             const CaptionState& state, std::string_view windowTitle,
                             Frontend& frontend);

// Replaces every "Framewise" of text by the title (window caption, About box lines).
std::string ReplaceTitle(std::string_view text, std::string_view title);

struct AboutTexts {
    std::string caption;        // the About box's caption
    std::string productLine;    // item 1064
    std::string linkLine;       // item 1050: CorpLink
    std::string noticeLine;     // item 1066: CopyRightTips of the working start-up file
    std::string flashSizeLine;  // item 1047: "Flash Size: %d KB"
    std::string firmwareLine;   // item 1048: "Firmware Ver: %s"
};

inline constexpr std::string_view kAboutCaption = "About Framewise";
inline constexpr std::string_view kAboutProduct = "Framewise Version " FRAMEWISE_VERSION;

// The About box's texts; before any attach the flash size is 0 and the version empty.
AboutTexts AboutBoxTexts(const Settings& settings, std::string_view windowTitle,
                         std::string_view corpLink, int flashSizeKB,
                         std::string_view firmwareVersion,
                         std::string_view captionTemplate = kAboutCaption,
                         std::string_view productTemplate = kAboutProduct);

}  // namespace framewise
