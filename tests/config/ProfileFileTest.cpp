#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "config/ProfileFile.h"
#include "tests/TempDir.h"

using namespace framewise;

namespace {
std::string Utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}
void Write(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
}  // namespace

TEST(ProfileFile, Utf16AndUtf8ReadAlikeWithWin32NameRules) {
    test::TempDir dir;
    const std::string text =
        "[Info]\r\n  JpgQuality = 75 \r\nTitle=\"Frame\"\r\n[LCD]\r\nWidth=128\r\n";
    Write(dir / "a.ini", Utf16(text));
    Write(dir / "b.ini", "\xEF\xBB\xBF" + text);
    Write(dir / "c.ini", text);
    for (auto name : {"a.ini", "b.ini", "c.ini"}) {
        auto f = dir / name;
        EXPECT_EQ(ReadProfileInt(f, "info", "JPGQUALITY", 90), 75) << name;
        EXPECT_EQ(ReadProfileString(f, "INFO", "title", ""), "Frame") << name;
        EXPECT_EQ(ReadProfileInt(f, "lcd", "Height", -1), -1) << name;
        EXPECT_EQ(ReadProfileString(f, "nosuch", "Width", "dflt"), "dflt") << name;
    }
    EXPECT_EQ(ReadProfileString(dir / "missing.ini", "info", "x", "d"), "d");
    EXPECT_EQ(ReadProfileInt(dir / "missing.ini", "info", "x", 7), 7);
}

TEST(ProfileFile, LongValuesAreCutAt254Characters) {
    test::TempDir dir;
    Write(dir / "long.ini", "[s]\nk=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(ReadProfileString(dir / "long.ini", "s", "k", ""), std::string(254, 'x'));
    // Characters, not bytes: a two-byte character counts once.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xC3\xA9";
    Write(dir / "wide.ini", "[s]\nk=" + wide + "\n");
    EXPECT_EQ(ReadProfileString(dir / "wide.ini", "s", "k", ""), wide.substr(0, 508));
}

TEST(ProfileFile, WritesKeepEncodingAndOtherLines) {
    test::TempDir dir;
    auto f = dir / "s.ini";
    Write(f, Utf16("[info]\r\nLangIndex=0\r\n; note\r\nOther=x\r\n"));
    ASSERT_TRUE(WriteProfileString(f, "INFO", "langindex", "3"));
    ASSERT_TRUE(WriteProfileString(f, "info", "Language", "German"));
    ASSERT_TRUE(WriteProfileString(f, "LCD", "Width", "160"));
    EXPECT_EQ(Slurp(f).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadProfileInt(f, "info", "LangIndex", -1), 3);
    EXPECT_EQ(ReadProfileString(f, "info", "Other", ""), "x");
    EXPECT_EQ(ReadProfileString(f, "info", "Language", ""), "German");
    EXPECT_EQ(ReadProfileInt(f, "LCD", "Width", 0), 160);

    auto u8 = dir / "u8.ini";
    Write(u8, "[a]\nk=1\n");
    ASSERT_TRUE(WriteProfileString(u8, "a", "k", "\xE4\xB8\xAD"));
    EXPECT_EQ(Slurp(u8), "[a]\nk=\xE4\xB8\xAD\n");

    auto fresh = dir / "fresh.ini";
    ASSERT_TRUE(WriteProfileString(fresh, "info", "UserPic", "4"));
    EXPECT_EQ(Slurp(fresh).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadProfileInt(fresh, "info", "UserPic", 0), 4);
    // Nothing but the file itself is left behind by the atomic replace.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 3);
}

TEST(ProfileFile, RewrittenFileIsNeverServedStale) {
    test::TempDir dir;
    auto f = dir / "lang.ini";
    // Same size, same second: only the content tells the two versions apart.
    Write(f, "[Language]\nLan_1=English\n");
    EXPECT_EQ(ReadProfileString(f, "Language", "Lan_1", ""), "English");
    Write(f, "[Language]\nLan_1=Deutsch\n");
    EXPECT_EQ(ReadProfileString(f, "Language", "Lan_1", ""), "Deutsch");
    std::filesystem::remove(f);
    EXPECT_EQ(ReadProfileString(f, "Language", "Lan_1", "gone"), "gone");
}

TEST(ProfileFile, WritesRefuseInjectionAndLoseNoConcurrentChange) {
    test::TempDir dir;
    auto f = dir / "s.ini";
    ASSERT_TRUE(WriteProfileString(f, "info", "Language", "English\r\n[info]\r\nLangIndex=7"));
    EXPECT_EQ(ReadProfileString(f, "info", "Language", ""), "English");
    EXPECT_EQ(ReadProfileInt(f, "info", "LangIndex", -1), -1);
    EXPECT_FALSE(WriteProfileString(f, "info", "a=b", "1"));
    EXPECT_EQ(ReadProfileInt(f, "info", "a", -1), -1);

    // Two threads writing different keys of one file: both keys survive.
    std::vector<std::thread> writers;
    for (int t = 0; t < 2; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i)
                WriteProfileString(f, "info", "K" + std::to_string(t * 20 + i), "v");
        });
    }
    for (auto& w : writers) w.join();
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(ReadProfileString(f, "info", "K" + std::to_string(k), ""), "v") << k;
}

TEST(ProfileFile, IntegersAndCopies) {
    test::TempDir dir;
    auto f = dir / "i.ini";
    Write(f, "[info]\nA=-12abc\nB=abc\nC=99999999999\nD=\n");
    EXPECT_EQ(ReadProfileInt(f, "info", "A", 5), -12);
    EXPECT_EQ(ReadProfileInt(f, "info", "B", 5), 0);
    EXPECT_EQ(ReadProfileInt(f, "info", "C", 5), 0x7FFFFFFF);
    EXPECT_EQ(ReadProfileInt(f, "info", "D", 5), 5);

    // A read-only source is copied into a writable working copy; a missing one is no copy.
    std::filesystem::permissions(f, std::filesystem::perms::owner_read);
    auto copy = dir / "copy.ini";
    ASSERT_TRUE(CopyProfileFile(f, copy));
    EXPECT_TRUE(WriteProfileString(copy, "info", "A", "1"));
    EXPECT_EQ(ReadProfileInt(copy, "info", "A", 5), 1);
    EXPECT_FALSE(CopyProfileFile(dir / "missing.ini", copy));
    EXPECT_EQ(ReadProfileInt(copy, "info", "A", 5), 1);
}
