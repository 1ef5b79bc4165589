#include <gtest/gtest.h>

#include <cstring>

#include "EncodedStream.h"
#include "StreamParser.h"
#include "TestPictures.h"
#include "codec/JpegEncoder.h"
#include "codec/JpegTables.h"

namespace framewise {
namespace {

using testing_pictures::PhotoLike;
using testing_pictures::Stride;
using testing_stream::ParsedBlock;
using testing_stream::StreamParser;

std::vector<uint8_t> Encode(JpegEncoder& enc, const std::vector<uint8_t>& px, int w, int h,
                            uint32_t flags, bool jfif) {
    enc.jfifMode = jfif;
    return testing_pictures::EncodedStream(enc, px, w, h, flags);
}

uint32_t Be16(const std::vector<uint8_t>& v, size_t at) {
    return (v[at] << 8) | v[at + 1];
}
uint32_t Le16(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | (v[at + 1] << 8);
}

TEST(JpegEncoderFormat, DeviceStream128x128Layout) {
    JpegEncoder enc(90);
    auto px = PhotoLike(128, 128);
    auto s = Encode(enc, px, 128, 128, 0, false);
    const uint8_t header[16] = {0, 128, 0, 128, 0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0};
    ASSERT_GT(s.size(), 2614u);
    EXPECT_EQ(0, std::memcmp(s.data(), header, 16));
    // Table bodies at 2064..2613: DQT body of 132 bytes, then the DHT body of 418 bytes.
    EXPECT_EQ(132u, Be16(s, 2064));
    EXPECT_EQ(0x00, s[2066]);
    EXPECT_EQ(0x01, s[2066 + 65]);
    EXPECT_EQ(enc.lumQuant()[kZigZag[5]], s[2067 + 5]);
    EXPECT_EQ(418u, Be16(s, 2196));
    EXPECT_EQ(0x00, s[2198]);
    EXPECT_EQ(0x11, s[2196 + 2 + 29 + 179 + 29]);
    // Index: 256 entries from offset 16; the first points 2598 bytes on, at offset 2614.
    EXPECT_EQ(0u, Le16(s, 16));
    EXPECT_EQ(2598u, Le16(s, 16 + 6));

    // Every index entry points at the first byte of its MCU (walked with an independent
    // parser), records the DC predictors before it, and no 0xFF is followed by stuffing.
    StreamParser p(s.data(), s.size(), 2614);
    bool sawFF = false;
    for (int m = 0; m < 256; ++m) {
        size_t entry = 16 + 8 * m;
        ASSERT_EQ(entry + Le16(s, entry + 6), p.BytePos()) << "MCU " << m;
        for (int b = 0; b < 3; ++b) {
            ParsedBlock block;
            ASSERT_TRUE(p.Block(b < 2, block)) << "MCU " << m;
        }
        ASSERT_TRUE(p.Align());
    }
    EXPECT_EQ(s.size(), p.BytePos());
    for (size_t i = 2614; i + 1 < s.size(); ++i) sawFF |= s[i] == 0xFF;
    EXPECT_TRUE(sawFF) << "the picture should exercise 0xFF bytes in the MCU data";
}

TEST(JpegEncoderFormat, FlagBitsTwoAndThreeMoveDataToOffset16) {
    JpegEncoder enc(75);
    auto px = PhotoLike(40, 24);
    auto noIndex = Encode(enc, px, 40, 24, 8, false);
    EXPECT_EQ(132u, Be16(noIndex, 16));  // tables right after the header
    auto bare = Encode(enc, px, 40, 24, 12, false);
    EXPECT_EQ(enc.scaleFactor(), Be16(bare, 5));
    EXPECT_EQ(12, bare[4]);
    StreamParser p(bare.data(), bare.size(), 16);  // MCUs right after the header
    for (int m = 0; m < 15; ++m) {
        for (int b = 0; b < 3; ++b) {
            ParsedBlock block;
            ASSERT_TRUE(p.Block(b < 2, block));
        }
        ASSERT_TRUE(p.Align());
    }
    EXPECT_EQ(bare.size(), p.BytePos());
    auto noTables = Encode(enc, px, 40, 24, 4, false);
    EXPECT_EQ(8u * 15, Le16(noTables, 16 + 6));  // first MCU right after the index
    EXPECT_EQ(noTables.size() - 16 - 120, bare.size() - 16);
}

TEST(JpegEncoderFormat, OnePixelIsReplicatedToTheWholeMcu) {
    for (uint32_t flags : {0u, 3u}) {
        JpegEncoder enc(90);
        std::vector<uint8_t> px = {200, 40, 90, 0};
        auto s = Encode(enc, px, 1, 1, flags, false);
        // One MCU; a block of equal samples has only a DC term: each block is DC + EOB.
        StreamParser p(s.data(), s.size(), 16 + 8 + 550);
        int blocks = flags ? 6 : 3;
        for (int b = 0; b < blocks; ++b) {
            ParsedBlock block;
            ASSERT_TRUE(p.Block(b < 2, block));
            EXPECT_EQ(std::vector<int>{0}, block.acSymbols);
        }
        EXPECT_TRUE(p.Align());
        EXPECT_EQ(s.size(), p.BytePos());
    }
}

// Encodes a picture of width w (height h) and a second one of the MCU-aligned size whose
// extra columns (lines) repeat the last one: the coded MCUs must be identical.
TEST(JpegEncoderFormat, EdgesRepeatTheLastPixelAndLine) {
    JpegEncoder enc(85);
    auto px = PhotoLike(17, 8, 3);
    std::vector<uint8_t> wide(static_cast<size_t>(Stride(32)) * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            std::memcpy(&wide[y * Stride(32) + 3 * x], &px[y * Stride(17) + 3 * std::min(x, 16)],
                        3);
    auto a = Encode(enc, px, 17, 8, 1, false);
    auto b = Encode(enc, wide, 32, 8, 1, false);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(0, std::memcmp(a.data() + 2, b.data() + 2, a.size() - 2));
    EXPECT_EQ(17u, Be16(a, 0));

    auto tall = PhotoLike(8, 9, 4);  // bottom-up: memory row 0 is image line 8
    std::vector<uint8_t> full(static_cast<size_t>(Stride(8)) * 16);
    for (int y = 0; y < 16; ++y)  // image line y of the 16-line picture
        std::memcpy(&full[(15 - y) * Stride(8)], &tall[(8 - std::min(y, 8)) * Stride(8)],
                    Stride(8));
    auto c = Encode(enc, tall, 8, 9, 2, false);
    auto d = Encode(enc, full, 8, 16, 2, false);
    ASSERT_EQ(c.size(), d.size());
    EXPECT_EQ(0, std::memcmp(c.data() + 4, d.data() + 4, c.size() - 4));
}

TEST(JpegEncoderFormat, QualityClampsAndScaleFactor) {
    JpegEncoder enc(0);
    EXPECT_EQ(5000, enc.scaleFactor());
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(255, enc.lumQuant()[i]);
    }
    enc.setQuality(250);
    EXPECT_EQ(0, enc.scaleFactor());
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(1, enc.chromaQuant()[i]);
    }
    enc.setQuality(50);
    EXPECT_EQ(100, enc.scaleFactor());
    EXPECT_EQ(kLuminanceQuant, enc.lumQuant());
    EXPECT_EQ(kChrominanceQuant, enc.chromaQuant());
    enc.setQuality(90);
    EXPECT_EQ(20, enc.scaleFactor());
    EXPECT_EQ((16 * 20 + 50) / 100, enc.lumQuant()[0]);
    enc.setQuality(10);
    EXPECT_EQ(500, enc.scaleFactor());
    EXPECT_EQ(255, enc.chromaQuant()[63]);
    // The inline colour arithmetic of the pixel loop uses the tables' very products.
    EXPECT_EQ(19595 * 200, enc.colourTable(0)[200]);
    EXPECT_EQ(32768 * 7 + 8421375, enc.colourTable(5)[7]);
    EXPECT_EQ(-5329 * 255, enc.colourTable(8)[255]);
}

TEST(JpegEncoderFormat, UniformGreyCodesDcZeroAndEob) {
    JpegEncoder enc(90);
    std::vector<uint8_t> px(static_cast<size_t>(Stride(24)) * 24, 128);
    auto s = Encode(enc, px, 24, 24, 3, false);
    StreamParser p(s.data(), s.size(), 16 + 8 * 4 + 550);
    for (int i = 0; i < 4 * 6; ++i) {
        ParsedBlock block;
        ASSERT_TRUE(p.Block(i % 6 < 2, block));
        EXPECT_EQ(0, block.dcCategory);
        EXPECT_EQ(std::vector<int>{0}, block.acSymbols);
        if (i % 6 == 5) {
            ASSERT_TRUE(p.Align());
        }
    }
}

TEST(JpegEncoderFormat, JfifSaveLayout) {
    JpegEncoder enc(100);
    auto px = PhotoLike(48, 32);
    auto f = Encode(enc, px, 48, 32, 3, true);
    const uint8_t app0[20] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F',
                              0,    1,    1,    1,    1, 44, 1,   44,  0,   0};
    EXPECT_EQ(0, std::memcmp(f.data(), app0, 20));
    size_t dqt = 20, dht = dqt + 134, sof = dht + 420, sos = sof + 19;
    EXPECT_EQ(0xDB, f[dqt + 1]);
    for (size_t i = dqt + 5; i < dqt + 134; ++i) {  // both tables; 0x01 sits at dqt + 69
        if (i == dqt + 69) continue;
        EXPECT_EQ(1, f[i]);
    }
    EXPECT_EQ(0xC4, f[dht + 1]);
    EXPECT_EQ(418u, Be16(f, dht + 2));
    EXPECT_EQ(0xC0, f[sof + 1]);
    EXPECT_EQ(32u, Be16(f, sof + 5));
    EXPECT_EQ(48u, Be16(f, sof + 7));
    EXPECT_EQ(0x22, f[sof + 11]);
    EXPECT_EQ(0x11, f[sof + 14]);
    EXPECT_EQ(0xDA, f[sos + 1]);
    EXPECT_EQ(0xFF, f[f.size() - 2]);
    EXPECT_EQ(0xD9, f[f.size() - 1]);
    // Scan data: every 0xFF is stuffed.
    for (size_t i = sos + 14; i + 2 < f.size(); ++i) {
        if (f[i] == 0xFF) {
            EXPECT_EQ(0x00, f[++i]);
        }
    }
}

TEST(JpegEncoderFormat, CapacityIsNeverExceeded) {
    JpegEncoder enc(90);
    auto px = PhotoLike(20, 20);
    for (bool jfif : {false, true}) {
        auto full = Encode(enc, px, 20, 20, 1, jfif);
        for (size_t cap = 0; cap <= full.size(); ++cap) {  // every capacity up to the size
            std::vector<uint8_t> out(cap + 64, 0xA5);
            size_t size = 12345;
            enc.jfifMode = jfif;
            bool ok = enc.encode(px.data(), out.data(), 20, 20, size, 1, cap);
            EXPECT_EQ(cap == full.size(), ok) << cap;
            EXPECT_EQ(ok ? full.size() : 12345u, size);
            for (size_t i = cap; i < out.size(); ++i) ASSERT_EQ(0xA5, out[i]) << cap;
            if (ok) {
                EXPECT_EQ(0, std::memcmp(out.data(), full.data(), full.size()));
            }
        }
    }
    size_t size = 0;
    uint8_t out[16];
    EXPECT_FALSE(enc.encode(nullptr, out, 1, 1, size, 0, 16));
    EXPECT_FALSE(enc.encode(px.data(), out, 0, 1, size, 0, 16));
    EXPECT_FALSE(enc.encode(px.data(), out, 1, 70000, size, 0, 16));
}

}  // namespace
}  // namespace framewise
