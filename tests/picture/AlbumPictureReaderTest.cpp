// Reading album picture files back as encoder input.
#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"
#include "picture/AlbumPictureReader.h"
#include "picture/Bmp24.h"

namespace framewise {
namespace {

// A BMP header of a w x h picture at bits per pixel, pixels at 54.
std::string Header(int w, int h, int bits, std::uint32_t imageSize) {
    std::string b(54, '\0');
    auto put = [&](int at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = char((v >> (8 * i)) & 0xff);
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, 54 + imageSize, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(w), 4);
    put(22, std::uint32_t(h), 4);
    put(26, 1, 2);
    put(28, std::uint32_t(bits), 2);
    put(34, imageSize, 4);
    return b;
}

TEST(ReadAlbumPicture, ReadsWhatTheCutWrote) {
    test::TempDir dir;
    Language language;
    RecordingFrontend frontend;
    QImage cut(5, 3, QImage::Format_RGB32);  // odd width: padded rows
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) cut.setPixel(x, y, qRgb(x * 40, y * 80, 200 - x));
    ASSERT_TRUE(WriteBmp24(AlbumPicturePath(dir.path(), 7), cut));
    EXPECT_EQ(AlbumPicturePath(dir.path(), 7).filename(), "0007.bmp");
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(ReadAlbumPicture(dir.path(), 7, {5, 3}, frame, language, frontend));
    EXPECT_EQ(frame, FrameBufferPixels(cut));
    // Three rows of 15 bytes padded to 16, bottom row first, blue-green-red.
    ASSERT_EQ(frame.size(), 48u);
    EXPECT_EQ(frame[0], 200);
    EXPECT_EQ(frame[1], 160);
    EXPECT_EQ(frame[2], 0);
    EXPECT_EQ(frame[15], 0);
    EXPECT_EQ(frame[16], 200);  // second row from the bottom starts on the padded stride
    EXPECT_EQ(frame[17], 80);
    EXPECT_EQ(FrameRowStride(130), 392);
    EXPECT_EQ(FrameRowStride(128), 384);

    std::vector<std::uint8_t> untouched{1, 2, 3};
    EXPECT_FALSE(ReadAlbumPicture(dir.path(), 8, {5, 3}, untouched, language, frontend));
    EXPECT_EQ(untouched, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(frontend.Messages(),
              std::vector<std::string>{"Cannot open file " +
                                       AlbumPicturePath(dir.path(), 8).string() + "!"});
}

TEST(ReadAlbumPicture, SixteenAndThirtyTwoBitFiles) {
    test::TempDir dir;
    Language language;
    RecordingFrontend frontend;
    {
        // 3 x 1 at 5-5-5: rows of 6 bytes padded to 8.
        std::ofstream out(AlbumPicturePath(dir.path(), 1), std::ios::binary);
        const std::uint16_t p = (31 << 10) | (1 << 5) | 2;  // red 31, green 1, blue 2
        out << Header(3, 1, 16, 8);
        out.put(char(p & 0xff)).put(char(p >> 8));
        out << std::string(6, '\0');
    }
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(ReadAlbumPicture(dir.path(), 1, {3, 1}, frame, language, frontend));
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{16, 8, 248, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    {
        std::ofstream out(AlbumPicturePath(dir.path(), 2), std::ios::binary);
        out << Header(2, 1, 32, 8) << std::string("\x0a\x0b\x0c\xff\x01\x02\x03\xff", 8);
    }
    ASSERT_TRUE(ReadAlbumPicture(dir.path(), 2, {2, 1}, frame, language, frontend));
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{10, 11, 12, 1, 2, 3, 0, 0}));
}

}  // namespace
}  // namespace framewise
