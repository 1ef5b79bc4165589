#include "config/LanguageUi.h"

#include "config/ControlIds.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "config/Settings.h"
#include "config/TextTables.h"

namespace framewise {

namespace {
std::string Look(const Language& language, const KeyedText& t) {
    return language.Tr(t.key, t.englishDefault);
}

std::string SubmenuKey(int n) {
    return "SUBMENU_" + std::to_string(n);
}
}  // namespace

LanguageMenu BuildLanguageMenu(const Language& language, Frontend& frontend) {
    LanguageMenu menu;
    menu.caption = language.Tr("LANGUAGE_MENU", "");
    if (menu.caption.empty()) {
        frontend.ShowMessage(
            FormatText("Item %s is not exist in LanguageUnicode.ini file!", "LANGUAGE_MENU"));
        return menu;
    }
    int count = language.LanguageCount();
    for (int n = 1; n <= count; ++n) {
        std::string text = language.Tr(SubmenuKey(n), "");
        if (text.empty()) {
            frontend.ShowMessage(
                FormatText("Item %s is not exist in LanguageUnicode.ini file!", SubmenuKey(n)));
            return menu;
        }
        menu.entries.push_back({kCmdFirstLanguage - 1 + n, std::move(text), false});
    }
    menu.complete = true;
    return menu;
}

Captions ApplyCaptions(const Language& language, const Settings& settings,
                       const CaptionState& state) {
    Captions c;
    c.myComputer = Look(language, kCaptionMyComputer);
    c.desktop = Look(language, kCaptionDesktop);
    c.myDocument = Look(language, kCaptionMyDocument);
    for (const auto& t : CaptionTable()) c.controls.push_back({t.controlId, Look(language, t)});
    c.controls.push_back({kIdRect, Look(language, RectCaption(state.m_bCropNext))});
    c.qualityLabelText = Look(language, kCaptionQuality) + std::to_string(state.quality);
    c.statusBarLeft = Look(language, kCaptionStatusLeft);
    c.statusText = state.attached ? language.Tr("DEVICEON_TIPS", "DPF Attach!!")
                                  : language.Tr("DEVICEOFF_TIPS", "DPF Detached!");
    settings.WriteText("info", "Language", language.CurrentName());
    return c;
}

std::vector<ControlText> ApplyTooltips(const Language& language, bool cropNext) {
    std::vector<ControlText> tips;
    for (const auto& t : TooltipTable(cropNext)) tips.push_back({t.controlId, Look(language, t)});
    return tips;
}

LanguageSwitch ApplyLanguage(int commandId, Language& language, const Settings& settings,
                             const CaptionState& state, std::string_view windowTitle,
                             Frontend& frontend) {
    LanguageSwitch s;
    int index = commandId - kCmdFirstLanguage;
    int count = language.LanguageCount();
    // An id past the language list would index nothing; with no list at all the English
    // defaults serve under index 0.
    if (commandId < kCmdFirstLanguage || commandId > kCmdLastLanguage ||
        (count > 0 && index >= count) || (count == 0 && index != 0))
        return s;
    s.applied = true;
    language.SetLangIndex(index);
    s.aboutMenuText =
        language.Tr("ABOUT_SYSMENU", "About") + " " + std::string(windowTitle) + "(&A)...";
    s.captions = ApplyCaptions(language, settings, state);
    s.tooltips = ApplyTooltips(language, state.m_bCropNext);
    s.menuCaption = language.Tr("LANGUAGE_MENU", "Language");
    for (int n = 1; n <= count; ++n) {
        std::string text = language.Tr(SubmenuKey(n), "");
        if (text.empty()) {
            frontend.ShowMessage(
                FormatText("Item %s is not exist in the LanguageUnicode.ini file.", SubmenuKey(n)));
            return s;
        }
        s.entries.push_back({kCmdFirstLanguage - 1 + n, std::move(text), n - 1 == index});
    }
    settings.WriteText("info", "LangIndex", std::to_string(index));
    settings.WriteText("info", "Language", language.CurrentName());
    s.written = true;
    return s;
}

std::string ReplaceTitle(std::string_view text, std::string_view title) {
    constexpr std::string_view word = "Framewise";
    std::string out;
    size_t pos = 0;
    for (size_t at; (at = text.find(word, pos)) != std::string_view::npos; pos = at + word.size())
        out.append(text.substr(pos, at - pos)).append(title);
    out.append(text.substr(pos));
    return out;
}

AboutTexts AboutBoxTexts(const Settings& settings, std::string_view windowTitle,
                         std::string_view corpLink, int flashSizeKB,
                         std::string_view firmwareVersion, std::string_view captionTemplate,
                         std::string_view productTemplate) {
    AboutTexts a;
    a.caption = ReplaceTitle(captionTemplate, windowTitle);
    a.productLine = ReplaceTitle(productTemplate, windowTitle);
    a.linkLine = std::string(corpLink);
    a.noticeLine = settings.ReadText("info", "CopyRightTips", "");
    a.flashSizeLine = "Flash Size: " + std::to_string(flashSizeKB) + " KB";
    a.firmwareLine = "Firmware Ver: " + std::string(firmwareVersion);
    return a;
}

}  // namespace framewise
