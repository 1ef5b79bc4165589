#include <gtest/gtest.h>

#include "IniFiles.h"
#include "config/ControlIds.h"
#include "config/Language.h"
#include "config/LanguageUi.h"
#include "config/RecordingFrontend.h"
#include "config/Settings.h"
#include "config/TextTables.h"
#include "tests/TempDir.h"

using namespace framewise;

namespace {

struct Fixture {
    test::TempDir dir;
    Language language{dir / "lang.ini"};
    Settings settings{dir / "shipped.ini"};
    RecordingFrontend frontend;

    explicit Fixture(const std::string& languageFile) {
        test::WriteUnicodeIni(dir / "lang.ini", languageFile);
        settings.SetCurrent(dir / "work.ini");
        language.CountLanguages();
    }
    std::string Text(const std::vector<ControlText>& texts, int id) const {
        for (const auto& t : texts)
            if (t.controlId == id) return t.text;
        return "<none>";
    }
};

const char* kTwoLanguages =
    "[Language]\r\nLan_1=English\r\nLan_2=Chinese\r\n"
    "[English]\r\nLANGUAGE_MENU=Language\r\nSUBMENU_1=English\r\nSUBMENU_2=Chinese\r\n"
    "ABOUT_SYSMENU=About\r\nIDC_BUTTON_SEND=Sync\r\n"
    "[Chinese]\r\nLANGUAGE_MENU=语言\r\nSUBMENU_1=英语\r\nSUBMENU_2=中文\r\nABOUT_SYSMENU=关于\r\n"
    "IDC_BUTTON_SAVE=保存\r\nIDC_BUTTON_CLEARRECT=清除\r\nDEVICEON_TIPS=已连接\r\n"
    "IDC_BUTTON_CLEARRECTTIPS=清除选框\r\n";

}  // namespace

TEST(Language, ListStopsAtTenOrAtTheFirstEmptyName) {
    std::string eleven = "[Language]\r\n";
    for (int n = 1; n <= 11; ++n)
        eleven += "Lan_" + std::to_string(n) + "=L" + std::to_string(n) + "\r\n";
    Fixture f(eleven);
    EXPECT_EQ(f.language.LanguageCount(), 10);
    EXPECT_EQ(f.language.Languages().back(), "L10");

    Fixture gap("[language]\r\nLAN_1=A\r\nLan_2=\r\nLan_3=C\r\n");
    EXPECT_EQ(gap.language.LanguageCount(), 1);

    // No language at all: every lookup answers the English default.
    Fixture none("[English]\r\nIDC_BUTTON_SAVE=Speichern\r\n");
    EXPECT_EQ(none.language.LanguageCount(), 0);
    EXPECT_EQ(none.language.Tr("IDC_BUTTON_SAVE", "Save"), "Save");
    EXPECT_FALSE(none.language.IsChinese());
}

TEST(Language, ChineseSwitchesTheBuiltInMessages) {
    Fixture f("[Language]\r\nLan_1=English\r\nLan_2=Chinese (Simplified)\r\nLan_3=Chinesisch\r\n");
    EXPECT_EQ(BuiltInText(BuiltInMessage::CannotOpenFile, f.language), "Cannot open file %s!");
    f.language.SetLangIndex(1);
    EXPECT_EQ(BuiltInText(BuiltInMessage::CannotOpenFile, f.language), "无法打开文件 %s!");
    EXPECT_EQ(FormatText(BuiltInText(BuiltInMessage::SaveFileFailed, f.language), "a.bmp"),
              "保存文件 a.bmp 失败!");
    f.language.SetLangIndex(2);  // the name must contain "Chinese" itself
    EXPECT_EQ(BuiltInText(BuiltInMessage::FileExists, f.language),
              "File %s existed, want to over write?");
    EXPECT_EQ(AccessDeniedText(1), "拒绝访问 %s.请使用管理员权限.");
    EXPECT_EQ(AccessDeniedText(2), "Open the drv %s Error.");
}

TEST(LanguageUi, SwitchingLanguageRenamesChecksAndRecords) {
    Fixture f(kTwoLanguages);
    auto menu = BuildLanguageMenu(f.language, f.frontend);
    EXPECT_TRUE(menu.complete);
    EXPECT_EQ(menu.caption, "Language");
    ASSERT_EQ(menu.entries.size(), 2u);
    EXPECT_EQ(menu.entries[0].commandId, kCmdFirstLanguage);
    EXPECT_EQ(menu.entries[1].commandId, 9003);

    CaptionState state{.m_bCropNext = false, .attached = true, .quality = 85};
    auto s = ApplyLanguage(9003, f.language, f.settings, state, "PicFrame", f.frontend);
    ASSERT_TRUE(s.applied);
    EXPECT_EQ(f.language.LangIndex(), 1);
    EXPECT_EQ(s.aboutMenuText, "关于 PicFrame(&A)...");
    EXPECT_EQ(s.menuCaption, "语言");
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(s.entries[1].text, "中文");
    EXPECT_FALSE(s.entries[0].checked);
    EXPECT_TRUE(s.entries[1].checked);
    EXPECT_TRUE(s.written);
    EXPECT_EQ(f.settings.ReadInt("info", "LangIndex", -1), 1);
    EXPECT_EQ(f.settings.ReadText("info", "Language", ""), "Chinese");

    // Captions: present keys translated, missing ones the English defaults.
    const auto& c = s.captions;
    EXPECT_EQ(f.Text(c.controls, kIdSave), "保存");
    EXPECT_EQ(f.Text(c.controls, kIdSynchronize), "Synchronize");
    EXPECT_EQ(f.Text(c.controls, kIdRect), "清除");
    EXPECT_EQ(c.statusBarLeft, "Info:");
    EXPECT_EQ(c.myDocument, "My Document");
    EXPECT_EQ(c.qualityLabelText, "Jpg Quality:85");
    EXPECT_EQ(c.statusText, "已连接");
    EXPECT_EQ(f.Text(s.tooltips, kIdRect), "清除选框");

    // Back to English; an id past the list changes nothing.
    state.m_bCropNext = true;
    state.attached = false;
    auto e = ApplyLanguage(9002, f.language, f.settings, state, "PicFrame", f.frontend);
    EXPECT_EQ(f.Text(e.captions.controls, kIdSynchronize), "Sync");
    EXPECT_EQ(f.Text(e.captions.controls, kIdRect), "Rect");
    EXPECT_EQ(f.Text(e.tooltips, kIdRect), "Draw Rect");
    EXPECT_EQ(e.captions.statusText, "DPF Detached!");
    EXPECT_TRUE(e.entries[0].checked);
    EXPECT_FALSE(
        ApplyLanguage(9004, f.language, f.settings, state, "PicFrame", f.frontend).applied);
    EXPECT_FALSE(
        ApplyLanguage(9001, f.language, f.settings, state, "PicFrame", f.frontend).applied);
    EXPECT_EQ(f.language.LangIndex(), 0);
    EXPECT_EQ(f.settings.ReadText("info", "Language", ""), "English");
    EXPECT_TRUE(f.frontend.Messages().empty());
}

TEST(LanguageUi, MissingMenuKeysAreReportedAndStopTheMenu) {
    Fixture f(
        "[Language]\r\nLan_1=English\r\nLan_2=German\r\n"
        "[English]\r\nLANGUAGE_MENU=Language\r\nSUBMENU_1=English\r\n"
        "[German]\r\nSUBMENU_1=Englisch\r\nSUBMENU_2=Deutsch\r\n");
    auto menu = BuildLanguageMenu(f.language, f.frontend);
    EXPECT_FALSE(menu.complete);
    EXPECT_EQ(menu.entries.size(), 1u);
    auto s = ApplyLanguage(9002, f.language, f.settings, {}, "Framewise", f.frontend);
    EXPECT_TRUE(s.applied);
    EXPECT_FALSE(s.written);
    EXPECT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(f.settings.ReadInt("info", "LangIndex", -1), -1);
    // ApplyCaptions has still recorded the language name.
    EXPECT_EQ(f.settings.ReadText("info", "Language", ""), "English");
    // German: the menu caption falls back to "Language"; its entries are complete.
    auto g = ApplyLanguage(9003, f.language, f.settings, {}, "Framewise", f.frontend);
    EXPECT_EQ(g.menuCaption, "Language");
    EXPECT_TRUE(g.written);
    EXPECT_EQ(
        f.frontend.Messages(),
        (std::vector<std::string>{"Item SUBMENU_2 is not exist in LanguageUnicode.ini file!",
                                  "Item SUBMENU_2 is not exist in the LanguageUnicode.ini file."}));
}

TEST(LanguageUi, TooltipsCaptionsAndAboutBox) {
    Fixture f("[Language]\r\nLan_1=English\r\n");
    auto tips = ApplyTooltips(f.language, true);
    std::vector<int> order;
    for (const auto& t : tips) order.push_back(t.controlId);
    EXPECT_EQ(order, (std::vector<int>{2, 1006, 1011, 1001, 1004, 1008, 1021, 1022, 1012, 1019,
                                       1023, 1033, 1034, 1009}));
    EXPECT_EQ(tips[0].text, "Exit");
    EXPECT_EQ(tips[13].text, "Select all");
    EXPECT_EQ(ApplyTooltips(f.language, false)[8].text, "Clear Rect");

    auto c = ApplyCaptions(f.language, f.settings, {});
    EXPECT_EQ(c.statusText, "DPF Detached!");
    EXPECT_EQ(f.Text(c.controls, kIdPreviewGroup), "Preview: ");
    // The picture total's control shows only the whole total text, never the bare label.
    for (const auto& control : c.controls) EXPECT_NE(control.controlId, kIdPictureTotal);
    EXPECT_EQ(f.Text(c.controls, kIdQualityLabel), "Jpg Quality:");
    EXPECT_EQ(c.qualityLabelText, "Jpg Quality:90");

    test::WriteUnicodeIni(f.dir / "work.ini", "[info]\r\nCopyRightTips=(C) Us\r\n");
    auto about = AboutBoxTexts(f.settings, "PicFrame", "example.org", 0, "");
    EXPECT_EQ(about.caption, "About PicFrame");
    EXPECT_EQ(about.productLine.rfind("PicFrame Version ", 0), 0u);
    EXPECT_EQ(about.linkLine, "example.org");
    EXPECT_EQ(about.noticeLine, "(C) Us");
    EXPECT_EQ(about.flashSizeLine, "Flash Size: 0 KB");
    EXPECT_EQ(about.firmwareLine, "Firmware Ver: ");
    EXPECT_EQ(AboutBoxTexts(f.settings, "T", "", 2048, "V1.2").firmwareLine, "Firmware Ver: V1.2");
    EXPECT_EQ(ReplaceTitle("Framewise/Framewise", "X"), "X/X");
}
