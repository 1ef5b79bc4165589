// The header scan that finds a photo's size, orientation and embedded thumbnail, checked
// against files whose EXIF block exiftool wrote (offsets as exiftool reports them), and fed
// every cut and many damaged variants of them.
#include <gtest/gtest.h>

#include <random>

#include "FileBytes.h"
#include "codec/JpegHeaderScan.h"

namespace framewise {
namespace {

std::filesystem::path Fixture(const char* name) {
    return std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "tests/data/exif" / name;
}

// exiftool -n -ThumbnailOffset -ThumbnailLength -Orientation on both fixtures: a 320 x 240
// photo with a 160 x 120 thumbnail, orientation 6, after a JFIF APP0 segment.
constexpr size_t kThumbnailOffset = 232;
constexpr size_t kThumbnailLength = 2455;

TEST(JpegHeaderScan, ReadsExiftoolWrittenBlocksInBothByteOrders) {
    for (const char* name : {"orientation6-intel.jpg", "orientation6-motorola.jpg"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = test::FileBytes(Fixture(name));
        ASSERT_FALSE(file.empty());
        const JpegHeaderScan scan = ScanJpegHeader(file.data(), file.size());
        EXPECT_TRUE(scan.isJpeg);
        EXPECT_EQ(scan.width, 320);
        EXPECT_EQ(scan.height, 240);
        EXPECT_EQ(scan.orientation, 6);
        EXPECT_EQ(scan.thumbnailOffset, kThumbnailOffset);
        ASSERT_EQ(scan.thumbnailLength, kThumbnailLength);
        // The thumbnail is a whole JPEG of its own.
        EXPECT_EQ(file[kThumbnailOffset], 0xFF);
        EXPECT_EQ(file[kThumbnailOffset + 1], 0xD8);
        EXPECT_EQ(file[kThumbnailOffset + kThumbnailLength - 2], 0xFF);
        EXPECT_EQ(file[kThumbnailOffset + kThumbnailLength - 1], 0xD9);
    }
}

TEST(JpegHeaderScan, CutHeadsNeverReportWhatLiesPastTheCut) {
    const std::vector<uint8_t> file = test::FileBytes(Fixture("orientation6-motorola.jpg"));
    ASSERT_FALSE(file.empty());
    for (size_t cut = 0; cut <= 4096 && cut <= file.size(); ++cut) {
        // A copy of exactly the cut, so the sanitizers see any read past it.
        const std::vector<uint8_t> head(file.begin(), file.begin() + std::ptrdiff_t(cut));
        const JpegHeaderScan scan = ScanJpegHeader(head.data(), head.size());
        if (scan.thumbnailLength != 0) {
            ASSERT_LE(scan.thumbnailOffset + scan.thumbnailLength, cut);
            EXPECT_EQ(scan.thumbnailOffset, kThumbnailOffset);
        }
        if (scan.width != 0) {
            EXPECT_EQ(scan.width, 320) << cut;
        }
    }
}

TEST(JpegHeaderScan, DamagedBlocksAreSurvivedAndStayWithinTheBytes) {
    const std::vector<uint8_t> file = test::FileBytes(Fixture("orientation6-intel.jpg"));
    ASSERT_FALSE(file.empty());
    std::mt19937 random(14);
    // Damage lands in the markers and the EXIF block, where the parser looks.
    std::uniform_int_distribution<size_t> where(0, kThumbnailOffset + 16);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> damaged(file.begin(), file.begin() + 2048);
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[where(random)] = uint8_t(byte(random));
        const JpegHeaderScan scan = ScanJpegHeader(damaged.data(), damaged.size());
        ASSERT_LE(scan.thumbnailOffset + scan.thumbnailLength, damaged.size());
        ASSERT_GE(scan.orientation, 1);
        ASSERT_LE(scan.orientation, 8);
    }
}

// A hand-made EXIF block for the cases the fixtures do not show.
std::vector<uint8_t> WithExif(const std::vector<uint8_t>& tiff) {
    std::vector<uint8_t> out = {0xFF, 0xD8, 0xFF, 0xE1};
    const size_t length = tiff.size() + 8;
    out.push_back(uint8_t(length >> 8));
    out.push_back(uint8_t(length));
    for (char c : {'E', 'x', 'i', 'f', '\0', '\0'}) out.push_back(uint8_t(c));
    out.insert(out.end(), tiff.begin(), tiff.end());
    // SOF0: precision 8, height 0x0100, width 0x0200, one component.
    for (uint8_t b : {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x01, 0x00, 0x02, 0x00, 0x01, 0x01, 0x11, 0x00})
        out.push_back(b);
    return out;
}

TEST(JpegHeaderScan, HostileIfdsAreRefused) {
    // Big-endian TIFF: IFD0 at 8 with one orientation entry, next IFD pointing back at IFD0.
    const std::vector<uint8_t> loop = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
                                       3,   0,   0, 0,  1, 0, 3, 0, 0, 0, 0,    0,    8};
    JpegHeaderScan scan = ScanJpegHeader(WithExif(loop).data(), WithExif(loop).size());
    EXPECT_EQ(scan.orientation, 3);
    EXPECT_EQ(scan.thumbnailLength, 0u);
    EXPECT_EQ(scan.width, 0x200);
    EXPECT_EQ(scan.height, 0x100);

    // IFD1 at 26 whose thumbnail offset + length wraps around 32 bits.
    const std::vector<uint8_t> wrap = {'M',  'M',  0,    42,   0, 0, 0, 8, 0,    0,
                                       0,    0,    0,    14,  // IFD0: no entries, IFD1 at 14
                                       0,    2,               // IFD1: two entries
                                       0x02, 0x01, 0,    4,    0, 0, 0, 1, 0xFF, 0xFF,
                                       0xFF, 0xF0, 0x02, 0x02, 0, 4, 0, 0, 0,    1,
                                       0x00, 0x00, 0x00, 0x20, 0, 0, 0, 0};
    const std::vector<uint8_t> wrapped = WithExif(wrap);
    scan = ScanJpegHeader(wrapped.data(), wrapped.size());
    EXPECT_EQ(scan.thumbnailLength, 0u);

    // An IFD claiming 65535 entries in a few bytes.
    const std::vector<uint8_t> huge = {'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0x12, 0x01};
    scan = ScanJpegHeader(WithExif(huge).data(), WithExif(huge).size());
    EXPECT_EQ(scan.orientation, 1);
    EXPECT_EQ(scan.width, 0x200);
}

}  // namespace
}  // namespace framewise
