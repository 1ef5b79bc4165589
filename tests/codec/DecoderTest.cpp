#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "EncodedStream.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "codec/InverseDct.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"
#include "codec/JpegTables.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;
using testing_pictures::PhotoLike;
using testing_pictures::Psnr;
using testing_pictures::Stride;
using testing_pictures::TopDown;

std::vector<uint8_t> EncodeStream(int w, int h, uint32_t flags, int quality,
                                  const std::vector<uint8_t>& px) {
    JpegEncoder enc(static_cast<uint16_t>(quality));
    return testing_pictures::EncodedStream(enc, px, w, h, flags);
}

using test::TempDir;

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(JpegDecoder, RoundTripEveryModeAndFlag) {
    for (int w : {37, 64, 130}) {
        const int h = 29;
        auto px = PhotoLike(w, h, static_cast<uint32_t>(w));
        auto ref = TopDown(px, w, h);
        for (uint32_t flags = 0; flags < 16; ++flags) {
            auto s = EncodeStream(w, h, flags, 90, px);
            JpegDecoder dec;
            DecodedPicture pic;
            ASSERT_TRUE(dec.decode(s.data(), s.size(), w, h, pic)) << w << " flags " << flags;
            EXPECT_EQ(w, pic.width);
            EXPECT_EQ(static_cast<int>(flags & 3), pic.samplingMode);
            ASSERT_EQ(ref.size(), pic.bgr.size());
            double psnr = Psnr(ref, pic.bgr);
            EXPECT_GT(psnr, (flags & 3) ? 21.0 : 32.0) << w << " flags " << flags;
        }
    }
}

TEST(JpegDecoder, BitmapFileAndSamplingLine) {
    TempDir dir;
    const int w = 130, h = 20;  // 130 wide: rows of 392 bytes; H2V2 grid wider than 136
    auto s = EncodeStream(w, h, 3, 80, PhotoLike(w, h));
    WriteFile(dir / "s.dpf", s);
    JpegDecoder dec;
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(dec.decodeToBitmap(dir / "s.dpf", dir / "s.bmp", w, h));
    EXPECT_EQ("H2V2\n", ::testing::internal::GetCapturedStdout());
    auto bmp = test::FileBytes(dir / "s.bmp");
    ASSERT_EQ(54u + 392u * h, bmp.size());
    EXPECT_EQ(300, bmp[38] | (bmp[39] << 8));
    EXPECT_EQ(300, bmp[42] | (bmp[43] << 8));
    EXPECT_EQ(24, bmp[28]);
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(0, bmp[54 + y * 392 + 390]);
        EXPECT_EQ(0, bmp[54 + y * 392 + 391]);
    }
    // The same picture from memory: bitmap rows are its rows bottom-up.
    DecodedPicture pic;
    ASSERT_TRUE(dec.decode(s.data(), s.size(), w, h, pic));
    EXPECT_EQ(0, std::memcmp(&bmp[54 + (h - 1) * 392], pic.bgr.data(), 390));

    // The window turns the lines off; the bitmap is written all the same.
    JpegDecoder::SetSamplingNameOutput(nullptr);
    ::testing::internal::CaptureStdout();
    fs::remove(dir / "s.bmp");
    EXPECT_TRUE(dec.decodeToBitmap(dir / "s.dpf", dir / "s.bmp", w, h));
    JpegDecoder::SetSamplingNameOutput(stdout);
    EXPECT_EQ("", ::testing::internal::GetCapturedStdout());
    EXPECT_EQ(bmp, test::FileBytes(dir / "s.bmp"));

    // A header declaring 128 x 160 on a 128 x 128 device: refused, nothing written.
    auto other = EncodeStream(128, 160, 0, 80, PhotoLike(128, 160));
    WriteFile(dir / "o.dpf", other);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(dec.decodeToBitmap(dir / "o.dpf", dir / "o.bmp", 128, 128));
    EXPECT_EQ("", ::testing::internal::GetCapturedStdout());
    EXPECT_FALSE(fs::exists(dir / "o.bmp"));
    EXPECT_FALSE(dec.decodeToBitmap(dir / "missing.dpf", dir / "m.bmp", 128, 128));
    int sw = 0, sh = 0;
    ASSERT_TRUE(ReadStreamSize(dir / "o.dpf", sw, sh));
    EXPECT_EQ(128, sw);
    EXPECT_EQ(160, sh);
}

TEST(JpegDecoder, FlatGreyDecodesTo128) {
    const int w = 40, h = 24;
    std::vector<uint8_t> px(static_cast<size_t>(Stride(w)) * h, 128);
    for (uint32_t flags : {0u, 3u}) {
        auto s = EncodeStream(w, h, flags, 90, px);
        JpegDecoder dec;
        DecodedPicture pic;
        ASSERT_TRUE(dec.decode(s.data(), s.size(), w, h, pic));
        for (uint8_t v : pic.bgr) ASSERT_EQ(128, v);
    }
}

TEST(InverseDct, DequantizationTruncatesTowardZero) {
    EXPECT_EQ(5, Dequantize(5, 64));
    EXPECT_EQ(0, Dequantize(-1, 64));
    EXPECT_EQ(-1, Dequantize(-2, 64));  // (-128 + 32) / 64 = -1.5 -> -1
    EXPECT_EQ(kAanInverseScale[0], 64);
    EXPECT_EQ(kAanInverseScale[4], 64);
    EXPECT_EQ(kAanInverseScale[63], 4);
}

// The fast transform against a plain floating-point inverse DCT: small coefficient sets
// must come out within a few levels (a swapped output or wrong sign is far off).
TEST(InverseDct, MatchesTheTextbookTransform) {
    std::mt19937 rng(7);
    std::array<uint16_t, 64> dequant;
    for (int i = 0; i < 64; ++i) dequant[i] = static_cast<uint16_t>(2 * kAanInverseScale[i]);
    int worst = 0;
    for (int trial = 0; trial < 300; ++trial) {
        int16_t coef[64] = {};
        for (int i = 0; i < 64; ++i)
            if (rng() % 4 == 0) coef[i] = static_cast<int16_t>(static_cast<int>(rng() % 81) - 40);
        uint8_t out[64];
        InverseDct(coef, dequant.data(), out);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                double sum = 0;
                for (int v = 0; v < 8; ++v)
                    for (int u = 0; u < 8; ++u) {
                        double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
                        sum += cu * cv * 2 * coef[v * 8 + u] *
                               std::cos((2 * x + 1) * u * M_PI / 16) *
                               std::cos((2 * y + 1) * v * M_PI / 16);
                    }
                double ref = std::clamp(sum / 4 + 128, 0.0, 255.0);
                worst =
                    std::max(worst, static_cast<int>(std::lround(std::abs(ref - out[y * 8 + x]))));
            }
    }
    EXPECT_LE(worst,
              12);  // 6-bit multipliers and scale table: a few levels; a wrong network is 100+ off
}

}  // namespace
}  // namespace framewise
