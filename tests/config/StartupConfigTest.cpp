#include <gtest/gtest.h>
#include <unistd.h>

#include "IniFiles.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"
#include "config/Settings.h"
#include "config/StartupConfig.h"
#include "tests/TempDir.h"

using namespace framewise;
namespace fs = std::filesystem;

namespace {

std::string LanguageFile(const std::vector<std::string>& names) {
    std::string text = "[Language]\r\n";
    for (size_t i = 0; i < names.size(); ++i)
        text += "Lan_" + std::to_string(i + 1) + "=" + names[i] + "\r\n";
    for (const auto& name : names) {
        text += "[" + name + "]\r\nLANGUAGE_MENU=Menu of " + name + "\r\n";
        for (size_t i = 0; i < names.size(); ++i)
            text += "SUBMENU_" + std::to_string(i + 1) + "=" + names[i] + "\r\n";
    }
    return text;
}

// A data folder and a work root of its own for every test.
struct Fixture {
    test::TempDir dir;
    fs::path data = dir / "data";
    WorkPaths paths;
    Settings settings;
    Language language;
    RecordingFrontend frontend;

    Fixture() {
        fs::create_directories(data);
        std::string error;
        paths = *WorkPaths::Prepare(dir / "work", error);
        test::WriteUnicodeIni(
            data / "StartInfoUnicode.ini",
            "[info]\r\nJpgQuality=75\r\nTitlename=PicFrame\r\nProgressCtrl=OFF\r\n"
            "CorpLink=example.org\r\nThumbWidth=64\r\n");
        SetLanguages({"Deutsch", "English (US)", "Chinese"});
    }
    void SetLanguages(const std::vector<std::string>& names) {
        test::WriteUnicodeIni(data / "LanguageUnicode.ini", LanguageFile(names));
    }
    StartupConfig Run(bool systemLanguageKnown = true) {
        StartupConfig config(data, paths);
        config.SetSystemLanguageKnown(systemLanguageKnown);
        config.Run(settings, language, frontend);
        return config;
    }
};

}  // namespace

TEST(StartupConfig, FirstRunCopiesBothFilesAndPicksEnglish) {
    Fixture f;
    auto config = f.Run();
    EXPECT_TRUE(config.m_bFirstRun);
    EXPECT_EQ(config.m_nJpgQuality, 75);
    EXPECT_EQ(config.m_strTitle, "PicFrame");
    EXPECT_EQ(config.WindowCaption("Framewise - Framewise"), "PicFrame - PicFrame");
    EXPECT_EQ(config.m_strProgressCtrl, "OFF");
    EXPECT_EQ(config.m_strCorpLink, "example.org");
    EXPECT_EQ(config.m_nPreviousLanguageCount, 0);
    EXPECT_EQ(config.m_nLanguageCount, 3);
    EXPECT_EQ(f.language.LangIndex(), 1);
    EXPECT_EQ(f.language.CurrentName(), "English (US)");
    EXPECT_EQ(f.settings.Current(), f.paths.startInfo);
    EXPECT_EQ(f.settings.Shipped(), f.data / "StartInfoUnicode.ini");
    EXPECT_EQ(test::ReadBytes(f.paths.language), test::ReadBytes(f.data / "LanguageUnicode.ini"));
    EXPECT_EQ(f.settings.ReadInt("info", "ThumbWidth", 0), 64);
    // The menu was built before LangIndex was known: in the first language.
    EXPECT_TRUE(config.m_menu.complete);
    EXPECT_EQ(config.m_menu.caption, "Menu of Deutsch");
    ASSERT_EQ(config.m_menu.entries.size(), 3u);
    EXPECT_EQ(config.m_menu.entries[2].commandId, 9004);
    EXPECT_TRUE(f.frontend.Messages().empty());

    // Without a system language the first run keeps index 0.
    Fixture g;
    g.Run(false);
    EXPECT_EQ(g.language.LangIndex(), 0);
}

TEST(StartupConfig, LaterRunsKeepTheChoiceUntilTheLanguageCountChanges) {
    Fixture f;
    f.Run();
    f.settings.WriteText("info", "LangIndex", "2");
    f.settings.WriteText("info", "UserPic", "7");

    auto second = f.Run();
    EXPECT_FALSE(second.m_bFirstRun);
    EXPECT_FALSE(second.m_bStartupReset);
    EXPECT_EQ(f.language.LangIndex(), 2);
    EXPECT_TRUE(f.language.IsChinese());
    EXPECT_EQ(f.settings.ReadInt("info", "UserPic", 0), 7);

    // A fourth language in the shipped file: the working start-up file starts again from the
    // shipped one, whose LangIndex is absent, so the first language.
    f.SetLanguages({"Deutsch", "English (US)", "Chinese", "French"});
    auto third = f.Run();
    EXPECT_EQ(third.m_nPreviousLanguageCount, 3);
    EXPECT_EQ(third.m_nLanguageCount, 4);
    EXPECT_TRUE(third.m_bStartupReset);
    EXPECT_EQ(f.language.LangIndex(), 0);
    EXPECT_EQ(f.settings.ReadInt("info", "UserPic", 0), 0);

    // A working file without LangIndex is reset to the shipped one (LangIndex 2 there).
    f.Run();
    test::WriteUnicodeIni(f.paths.startInfo, "[info]\r\nUserPic=3\r\n");
    test::WriteUnicodeIni(f.data / "StartInfoUnicode.ini", "[info]\r\nLangIndex=2\r\n");
    auto fourth = f.Run();
    EXPECT_TRUE(fourth.m_bStartupReset);
    EXPECT_EQ(f.language.LangIndex(), 2);

    // An index past the list selects the first language instead of none.
    f.settings.WriteText("info", "LangIndex", "9");
    f.Run();
    EXPECT_EQ(f.language.LangIndex(), 0);
}

TEST(StartupConfig, EmptiesTheWorkFoldersAndDeletesTheTemporaryFiles) {
    Fixture f;
    test::WriteBytes(f.paths.albumFolder / "0001.bmp", "x");
    test::WriteBytes(f.paths.albumFolder / "0002.BMP", "x");
    test::WriteBytes(f.paths.albumFolder / "keep.txt", "x");
    fs::create_directory(f.paths.albumFolder / "sub.bmp");
    test::WriteBytes(f.paths.thumbFolder / "IMG_0001.JPG", "x");
    test::WriteBytes(f.paths.jpgTmp, "x");
    test::WriteBytes(f.paths.bmpTmp, "x");
    f.Run();
    EXPECT_FALSE(fs::exists(f.paths.albumFolder / "0001.bmp"));
    EXPECT_FALSE(fs::exists(f.paths.albumFolder / "0002.BMP"));
    EXPECT_TRUE(fs::exists(f.paths.albumFolder / "keep.txt"));
    EXPECT_TRUE(fs::is_directory(f.paths.albumFolder / "sub.bmp"));
    EXPECT_TRUE(fs::is_empty(f.paths.thumbFolder));
    EXPECT_FALSE(fs::exists(f.paths.jpgTmp));
    EXPECT_FALSE(fs::exists(f.paths.bmpTmp));
}

TEST(StartupConfig, MissingOrReadOnlyShippedFilesGiveDefaults) {
    Fixture f;
    fs::remove(f.data / "StartInfoUnicode.ini");
    fs::remove(f.data / "LanguageUnicode.ini");
    auto config = f.Run();
    EXPECT_EQ(config.m_nJpgQuality, 90);
    EXPECT_EQ(config.m_strTitle, "Framewise");
    EXPECT_EQ(config.m_strProgressCtrl, "ON");
    EXPECT_EQ(config.m_strCorpLink, "");
    EXPECT_EQ(config.m_nLanguageCount, 0);
    EXPECT_EQ(f.language.Tr("IDC_BUTTON_SAVE", "Save"), "Save");
    // No language file: the menu key is reported, nothing crashes.
    EXPECT_EQ(
        f.frontend.Messages(),
        std::vector<std::string>{"Item LANGUAGE_MENU is not exist in LanguageUnicode.ini file!"});
    // The working start-up file can still take the writes of the session.
    EXPECT_TRUE(f.settings.WriteText("info", "Language", "English"));

    Fixture r;
    fs::permissions(r.data / "StartInfoUnicode.ini", fs::perms::owner_read);
    fs::permissions(r.data / "LanguageUnicode.ini", fs::perms::owner_read);
    fs::permissions(r.data, fs::perms::owner_read | fs::perms::owner_exec);
    auto ro = r.Run();
    EXPECT_EQ(ro.m_nJpgQuality, 75);
    EXPECT_EQ(ro.m_nLanguageCount, 3);
    EXPECT_TRUE(r.settings.WriteText("info", "LangIndex", "2"));
    EXPECT_EQ(r.Run().m_bStartupReset, false);
    EXPECT_EQ(r.language.LangIndex(), 2);
    fs::permissions(r.data, fs::perms::owner_all);
}
