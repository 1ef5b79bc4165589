#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "album/AlbumThumbnail.h"
#include "album/PictureTotal.h"
#include "album/ThumbnailScale.h"
#include "codec/BmpFile.h"

namespace framewise {
namespace {

TEST(AreaScale, AveragesTheCoveredAreaTopDown) {
    // 4 × 2 bottom-up BGR, stride 12: bottom row all 0, top row 0, 40, 80, 120 in red.
    std::vector<uint8_t> bgr(24, 0);
    for (int x = 0; x < 4; ++x) bgr[12 + x * 3 + 2] = static_cast<uint8_t>(40 * x);
    bgr[0] = 200;  // blue of the bottom-left pixel

    auto half = AreaScaleToRgb(bgr.data(), 4, 2, 12, 2, 1);
    ASSERT_EQ(half.size(), 6u);
    EXPECT_EQ(half[0], 10);  // red (0 + 40 + 0 + 0) / 4
    EXPECT_EQ(half[2], 50);  // blue 200 / 4
    EXPECT_EQ(half[3], 50);  // red (80 + 120) / 4

    auto same = AreaScaleToRgb(bgr.data(), 4, 2, 12, 4, 2);
    ASSERT_EQ(same.size(), 24u);
    EXPECT_EQ(same[3 * 3 + 0], 120);  // first output row is the top row
    EXPECT_EQ(same[12 + 2], 200);     // second output row, blue of the bottom-left pixel

    // 3 columns to 2: the middle column is shared half and half.
    std::vector<uint8_t> row = {0, 0, 0, 0, 0, 90, 0, 0, 180, 0, 0, 0};  // stride 12
    auto two = AreaScaleToRgb(row.data(), 3, 1, 12, 2, 1);
    ASSERT_EQ(two.size(), 6u);
    EXPECT_EQ(two[0], 30);   // (0 · 2 + 90 · 1) / 3
    EXPECT_EQ(two[3], 150);  // (90 · 1 + 180 · 2) / 3

    EXPECT_TRUE(AreaScaleToRgb(bgr.data(), 4, 2, 11, 2, 1).empty());  // stride too short
    EXPECT_TRUE(AreaScaleToRgb(bgr.data(), 4, 2, 12, 0, 1).empty());
}

TEST(AlbumThumbnail, LoadsTheAlbumFileTopRowFirst) {
    test::TempDir dir;
    // 4 × 4, stride 12: the top two rows (last in the file) red, the bottom two blue.
    std::vector<uint8_t> rows(48, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            rows[static_cast<size_t>(y * 12 + x * 3 + (y < 2 ? 0 : 2))] = 255;
    }
    ASSERT_TRUE(WriteBmp24(dir / "0001.bmp", 4, 4, rows.data(), 0));
    const auto thumb = LoadAlbumThumbnail(dir / "0001.bmp", 2, 2);
    ASSERT_EQ(thumb.size(), 12u);
    EXPECT_EQ((std::vector<uint8_t>(thumb.begin(), thumb.begin() + 3)),
              (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ((std::vector<uint8_t>(thumb.begin() + 6, thumb.begin() + 9)),
              (std::vector<uint8_t>{0, 0, 255}));

    std::ofstream(dir / "0002.bmp", std::ios::binary) << "BM but nothing more";
    EXPECT_TRUE(LoadAlbumThumbnail(dir / "0002.bmp", 2, 2).empty());
    EXPECT_TRUE(LoadAlbumThumbnail(dir / "0003.bmp", 2, 2).empty());
}

TEST(PictureTotal, TheThreeForms) {
    PictureTotalInputs none;  // no device information yet
    EXPECT_EQ(PictureTotalText("Total Pictures", 5, none), "Total Pictures:\n 0 \n(0 KB / 0 KB)");

    PictureTotalInputs device;
    device.flashSizeKB = 2048;
    device.totalPictureBytes = 10241;  // 11 KB rounded up, + 4 + 192
    EXPECT_EQ(PictureTotalText("Total Pictures", 3, device),
              "Total Pictures:\n 3 \n(207 KB / 2048 KB)");
    device.totalPictureBytes = 0;
    EXPECT_EQ(PictureTotalText("Total Pictures", 0, device),
              "Total Pictures:\n 0 \n(196 KB / 2048 KB)");

    device.pictureCapacity = 100;
    EXPECT_EQ(PictureTotalText("Total Pictures", 7, device), "Total Pictures:\n  \n(7  / 100 )");
}

}  // namespace
}  // namespace framewise
