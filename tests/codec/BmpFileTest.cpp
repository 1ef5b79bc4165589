#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "codec/BmpFile.h"

namespace framewise {
namespace {

void Le16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Le32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}
uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}

// A file header for bpp bits per pixel; pixel rows follow at offset 54 (+12 with masks).
std::vector<uint8_t> Header(int w, int h, int bpp, uint32_t compression = 0) {
    std::vector<uint8_t> f(compression == 3 ? 66 : 54, 0);
    f[0] = 'B', f[1] = 'M';
    Le32(f, 10, static_cast<uint32_t>(f.size()));
    Le32(f, 14, 40);
    Le32(f, 18, static_cast<uint32_t>(w));
    Le32(f, 22, static_cast<uint32_t>(h));
    Le16(f, 26, 1);
    Le16(f, 28, static_cast<uint32_t>(bpp));
    Le32(f, 30, compression);
    return f;
}

TEST(BmpFile, WritesTheAlbumPictureHeader) {
    EXPECT_EQ(392, BmpRowStride(130));
    EXPECT_EQ(4, BmpRowStride(1));
    EXPECT_EQ(384, BmpRowStride(128));
    std::vector<uint8_t> rows(static_cast<size_t>(BmpRowStride(5)) * 3, 7);
    for (int y = 0; y < 3; ++y) rows[y * 16 + 15] = 0;  // padding reads back as 0
    auto f = EncodeBmp24(5, 3, rows.data(), 0);
    ASSERT_EQ(54u + 16 * 3, f.size());
    EXPECT_EQ('B', f[0]);
    EXPECT_EQ(f.size(), Get32(f, 2));
    EXPECT_EQ(0u, Get32(f, 6));
    EXPECT_EQ(54u, Get32(f, 10));
    EXPECT_EQ(40u, Get32(f, 14));
    EXPECT_EQ(5u, Get32(f, 18));
    EXPECT_EQ(3u, Get32(f, 22));
    EXPECT_EQ(1, f[26]);
    EXPECT_EQ(24, f[28]);
    EXPECT_EQ(0u, Get32(f, 30));
    EXPECT_EQ(48u, Get32(f, 34));
    EXPECT_EQ(0u, Get32(f, 38));
    EXPECT_EQ(300u, Get32(BmpHeader24(5, 3, 300), 42));

    BmpImage img;
    ASSERT_TRUE(DecodeBmp24(f.data(), f.size(), img, nullptr));
    EXPECT_EQ(rows, img.rows);

    std::string dir = ::testing::TempDir() + "bmpXXXXXX";
    ASSERT_TRUE(mkdtemp(dir.data()));
    auto path = std::filesystem::path(dir) / "0001.bmp";
    ASSERT_TRUE(WriteBmp24(path, 5, 3, rows.data(), 300));
    ASSERT_TRUE(ReadBmp24(path, img, nullptr));
    EXPECT_EQ(5, img.width);
    EXPECT_EQ(rows, img.rows);
    EXPECT_FALSE(WriteBmp24(std::filesystem::path(dir) / "no" / "x.bmp", 5, 3, rows.data(), 0));
    std::filesystem::remove_all(dir);
}

TEST(BmpFile, ReadsOtherDepthsIntoBottomUpRows) {
    // 16-bit 5-5-5, width 3: rows padded to 8 bytes; each channel value becomes value * 8.
    auto f = Header(3, 2, 16);
    for (int y = 0; y < 2; ++y) {
        uint16_t px[4] = {static_cast<uint16_t>((31 << 10) | (1 << 5) | 2), 0x7FFF, 0x8000, 0xEEEE};
        for (int x = 0; x < 4; ++x)
            f.push_back(static_cast<uint8_t>(px[x])), f.push_back(static_cast<uint8_t>(px[x] >> 8));
    }
    BmpImage img;
    ASSERT_TRUE(DecodeBmp24(f.data(), f.size(), img, nullptr));
    EXPECT_EQ(16, img.bitsPerPixel);
    EXPECT_EQ((std::vector<uint8_t>{16, 8, 248, 248, 248, 248, 0, 0, 0}),
              std::vector<uint8_t>(img.rows.begin(), img.rows.begin() + 9));
    EXPECT_EQ(24u, img.rows.size());

    // 16-bit 5-6-5 through bit fields.
    f = Header(1, 1, 16, 3);
    Le32(f, 54, 0xF800), Le32(f, 58, 0x07E0), Le32(f, 62, 0x001F);
    f.insert(f.end(),
             {0x1F, 0x08, 0, 0});  // green 0b000000 -> with 0x081F: red 1, green 0, blue 31
    ASSERT_TRUE(DecodeBmp24(f.data(), f.size(), img, nullptr));
    EXPECT_EQ(248, img.rows[0]);
    EXPECT_EQ(0, img.rows[1]);
    EXPECT_EQ(8, img.rows[2]);

    // 32-bit top-down (negative height): the first stored row is the top one.
    f = Header(2, -2, 32);
    f.insert(f.end(), {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0});
    ASSERT_TRUE(DecodeBmp24(f.data(), f.size(), img, nullptr));
    EXPECT_EQ(2, img.height);
    EXPECT_EQ((std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}), img.rows);
}

TEST(BmpFile, RefusesDamagedFilesWithoutReadingPastThem) {
    std::string error;
    BmpImage img;
    auto good = Header(4, 4, 24);
    good.resize(54 + 12 * 4, 1);
    ASSERT_TRUE(DecodeBmp24(good.data(), good.size(), img, &error));
    auto bad = good;
    bad.resize(bad.size() - 1);
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size(), img, &error));
    EXPECT_FALSE(error.empty());
    bad = good;
    Le32(bad, 18, 0x7FFFFFFF);
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size(), img, nullptr));
    bad = good;
    Le32(bad, 10, 0xFFFFFFF0);
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size(), img, nullptr));
    bad = good;
    Le16(bad, 28, 8);
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size(), img, nullptr));
    bad = good;
    bad[1] = 'A';
    EXPECT_FALSE(DecodeBmp24(bad.data(), bad.size(), img, nullptr));
    // Random header damage: whatever the fields say, the reader stays inside the bytes.
    std::mt19937 rng(5);
    for (int i = 0; i < 3000; ++i) {
        auto f = good;
        for (int e = 0; e < 3; ++e) f[rng() % 54] = static_cast<uint8_t>(rng());
        f.resize(rng() % (f.size() + 1));
        f.shrink_to_fit();
        DecodeBmp24(f.data(), f.size(), img, nullptr);
    }
}

}  // namespace
}  // namespace framewise
