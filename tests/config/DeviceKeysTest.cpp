#include <gtest/gtest.h>

#include "IniFiles.h"
#include "config/DeviceKeys.h"
#include "tests/TempDir.h"

using namespace framewise;

TEST(DeviceKeys, ChangedThumbnailKeyResetsTheWorkingFileAndLangIndex) {
    test::TempDir dir;
    Settings settings(dir / "shipped.ini");
    settings.SetCurrent(dir / "work.ini");
    const std::string shipped =
        "[info]\r\nLangIndex=0\r\nThumbWidth=64\r\nThumbColumn=3\r\nSThumbWidth=48\r\nSThumbColumn="
        "3\r\n";
    test::WriteUnicodeIni(dir / "shipped.ini", shipped);
    test::WriteUnicodeIni(dir / "work.ini", shipped);
    settings.WriteText("info", "LangIndex", "3");

    // Same keys: the working copy and its language choice stay.
    auto keys = ReadThumbnailKeysAtAttach(settings);
    EXPECT_EQ(keys.thumbWidth, 64);
    EXPECT_EQ(keys.sThumbColumn, 3);
    EXPECT_EQ(settings.ReadInt("info", "LangIndex", -1), 3);

    // A new ThumbWidth beside the program: the working copy starts again from it.
    test::WriteUnicodeIni(dir / "shipped.ini",
                          "[info]\r\nLangIndex=0\r\nThumbWidth=96\r\n"
                          "ThumbColumn=3\r\nSThumbWidth=48\r\nSThumbColumn=3\r\n");
    keys = ReadThumbnailKeysAtAttach(settings);
    EXPECT_EQ(keys.thumbWidth, 96);
    EXPECT_EQ(keys.sThumbWidth, 48);
    EXPECT_EQ(settings.ReadInt("info", "LangIndex", -1), 0);

    // The device values land in the working copy.
    WriteDeviceValues(settings, {"V2.01", "SST", 2048, 128, 160});
    EXPECT_EQ(settings.ReadText("info", "FirmwareVer", ""), "V2.01");
    EXPECT_EQ(settings.ReadText("info", "FlashType", ""), "SST");
    EXPECT_EQ(settings.ReadText("info", "FlashSize", ""), "2048");
    EXPECT_EQ(settings.ReadInt("LCD", "Width", 0), 128);
    EXPECT_EQ(settings.ReadInt("LCD", "Height", 0), 160);
    EXPECT_EQ(test::ReadBytes(dir / "work.ini").substr(0, 2), "\xFF\xFE");
}
