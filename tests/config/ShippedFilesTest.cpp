#include <gtest/gtest.h>

#include "IniFiles.h"
#include "config/Language.h"
#include "config/ProfileFile.h"
#include "config/TextTables.h"

using namespace framewise;

namespace {
const std::filesystem::path kData = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
}

TEST(ShippedFiles, AreUnicodeFilesWithCrlf) {
    for (auto name : {"StartInfoUnicode.ini", "LanguageUnicode.ini"}) {
        std::string bytes = test::ReadBytes(kData / name);
        ASSERT_GE(bytes.size(), 4u) << name;
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << name;
        EXPECT_EQ(bytes.size() % 2, 0u) << name;
        // Every LF (0A 00) is preceded by CR (0D 00).
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == '\n' && bytes[i + 1] == 0) {
                ASSERT_GE(i, 4u);
                EXPECT_EQ(bytes[i - 2], '\r') << name << " at " << i;
            }
        }
    }
}

TEST(ShippedFiles, StartInfoFitsTheWindow) {
    auto f = kData / "StartInfoUnicode.ini";
    EXPECT_EQ(ReadProfileInt(f, "info", "JpgQuality", 0), 90);
    EXPECT_EQ(ReadProfileString(f, "info", "Titlename", ""), "Framewise");
    EXPECT_EQ(ReadProfileString(f, "info", "ProgressCtrl", ""), "OFF");
    EXPECT_EQ(ReadProfileInt(f, "info", "LangIndex", -1), 0);
    EXPECT_NE(ReadProfileString(f, "info", "CorpLink", ""), "");
    EXPECT_NE(ReadProfileString(f, "info", "CopyRightTips", ""), "");
    // Album list 246 px wide, items every ThumbWidth + 6; folder list 255 px, every SThumbWidth
    // + 35.
    int tw = ReadProfileInt(f, "info", "ThumbWidth", 0),
        tc = ReadProfileInt(f, "info", "ThumbColumn", 0);
    int sw = ReadProfileInt(f, "info", "SThumbWidth", 0),
        sc = ReadProfileInt(f, "info", "SThumbColumn", 0);
    ASSERT_GT(tw, 0);
    ASSERT_GT(tc, 0);
    ASSERT_GT(sw, 0);
    ASSERT_GT(sc, 0);
    EXPECT_LE(tc * (tw + 6), 246);
    EXPECT_LE(sc * (sw + 35), 255);
}

TEST(ShippedFiles, EveryLanguageHasEveryKey) {
    Language language(kData / "LanguageUnicode.ini");
    ASSERT_EQ(language.CountLanguages(), 5);
    auto names = language.Languages();
    EXPECT_EQ(names[0], "English");
    EXPECT_NE(names[1].find("Chinese"), std::string::npos);

    std::vector<KeyedText> keys(CaptionTable().begin(), CaptionTable().end());
    for (const auto& t : MessageTable()) keys.push_back(t);
    for (const auto& t : TooltipTable(true)) keys.push_back(t);
    keys.push_back(RectTooltip(false));
    keys.push_back(RectCaption(true));
    keys.push_back(RectCaption(false));
    for (const auto& t :
         {kCaptionMyComputer, kCaptionDesktop, kCaptionMyDocument, kCaptionStatusLeft})
        keys.push_back(t);
    for (std::string_view k : {"LANGUAGE_MENU", "ABOUT_SYSMENU", "SUBMENU_1", "SUBMENU_2",
                               "SUBMENU_3", "SUBMENU_4", "SUBMENU_5"})
        keys.push_back({0, k, ""});

    for (int i = 0; i < 5; ++i) {
        language.SetLangIndex(i);
        for (const auto& k : keys)
            EXPECT_NE(language.Tr(k.key, "\x01missing"), "\x01missing") << names[i] << " " << k.key;
        // Each language names itself in its own words, so the menu entries differ.
        EXPECT_NE(language.Tr("SUBMENU_1", ""),
                  i == 0 ? "" : language.ReadText("English", "SUBMENU_1", ""));
    }
    language.SetLangIndex(0);
    for (const auto& k : keys) {
        // WARN_TIPS carries a line break in its default, which a profile value cannot hold.
        if (!k.englishDefault.empty() && k.key != "WARN_TIPS") {
            EXPECT_EQ(language.Tr(k.key, ""), k.englishDefault) << k.key;
        }
    }
}
