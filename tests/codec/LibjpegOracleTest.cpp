// libjpeg as the independent judge: it must read our JFIF files, our quality must match its
// own encoder's, and our decoder must agree with its picture of the same data.
#include <gtest/gtest.h>

#include "EncodedStream.h"
#include "LibJpeg.h"
#include "TestPictures.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"

namespace framewise {
namespace {

using testing_pictures::PhotoLike;
using testing_pictures::Psnr;
using testing_pictures::TopDown;

std::vector<uint8_t> Ours(int w, int h, uint32_t flags, int quality, bool jfif,
                          const std::vector<uint8_t>& px) {
    JpegEncoder enc(static_cast<uint16_t>(quality));
    enc.jfifMode = jfif;
    return testing_pictures::EncodedStream(enc, px, w, h, flags);
}

TEST(LibjpegOracle, ReadsOurJfifFilesInEveryMode) {
    for (int quality : {10, 50, 90, 100}) {
        for (uint32_t flags = 0; flags < 4; ++flags) {
            const int w = 53, h = 35;
            auto px = PhotoLike(w, h);
            auto jfif = Ours(w, h, flags, quality, true, px);
            std::vector<uint8_t> bgr;
            int dw = 0, dh = 0;
            ASSERT_TRUE(libjpeg::Decode(jfif.data(), jfif.size(), bgr, dw, dh))
                << "quality " << quality << " flags " << flags;
            EXPECT_EQ(w, dw);
            EXPECT_EQ(h, dh);
            EXPECT_GT(Psnr(TopDown(px, w, h), bgr), quality >= 50 ? 21.0 : 18.0);
        }
    }
}

TEST(LibjpegOracle, QualityMatchesLibjpegsOwnEncoder) {
    const int w = 160, h = 128;
    auto px = PhotoLike(w, h, 9);
    auto ref = TopDown(px, w, h);
    for (bool h2v2 : {false, true}) {
        auto ours = Ours(w, h, h2v2 ? 3 : 0, 90, true, px);
        std::vector<uint8_t> theirs, a, b;
        ASSERT_TRUE(libjpeg::Encode(ref.data(), w, h, 90, h2v2, theirs));
        int dw, dh;
        libjpeg::Options accurate{false, true};
        ASSERT_TRUE(libjpeg::Decode(ours.data(), ours.size(), a, dw, dh, accurate));
        ASSERT_TRUE(libjpeg::Decode(theirs.data(), theirs.size(), b, dw, dh, accurate));
        double ourPsnr = Psnr(ref, a), theirPsnr = Psnr(ref, b);
        std::printf("q90 %s: ours %.2f dB (%zu bytes), libjpeg %.2f dB (%zu bytes)\n",
                    h2v2 ? "4:2:0" : "4:4:4", ourPsnr, ours.size(), theirPsnr, theirs.size());
        // Point-sampled chroma costs a few dB more than libjpeg's averaged chroma.
        EXPECT_GT(ourPsnr, theirPsnr - (h2v2 ? 5.0 : 1.0));
    }
}

TEST(LibjpegOracle, OurDecoderAgreesWithLibjpeg) {
    for (uint32_t flags = 0; flags < 4; ++flags) {
        const int w = 96, h = 72;
        auto px = PhotoLike(w, h, 5);
        auto stream = Ours(w, h, flags, 90, false, px);
        auto jfif = Ours(w, h, flags, 90, true, px);
        JpegDecoder dec;
        DecodedPicture pic;
        ASSERT_TRUE(dec.decode(stream.data(), stream.size(), w, h, pic));
        std::vector<uint8_t> bgr;
        int dw, dh;
        ASSERT_TRUE(libjpeg::Decode(jfif.data(), jfif.size(), bgr, dw, dh));  // ifast, no fancy
        ASSERT_EQ(bgr.size(), pic.bgr.size());
        // The decoder's arithmetic is coarser than libjpeg's (6-bit multipliers, a truncated
        // 6-bit scale table whose last entry is 4 for 4.87, no extra fraction bits between
        // the passes), and libjpeg-turbo's fast IDCT itself runs about 0.8 levels high on
        // average (ours 0.2 low, against its accurate IDCT): nearly every sample is within a
        // few levels, strong edges a little more.
        int worst = 0;
        size_t within3 = 0;
        double sum = 0, signedSum = 0;
        for (size_t i = 0; i < bgr.size(); ++i) {
            int d = std::abs(bgr[i] - pic.bgr[i]);
            worst = std::max(worst, d);
            within3 += d <= 3;
            sum += d;
            signedSum += bgr[i] - pic.bgr[i];
        }
        std::printf(
            "signed %.2f flags %u: mean difference to libjpeg %.2f, %.2f%% within 3 levels, max "
            "%d\n",
            signedSum / bgr.size(), flags, sum / bgr.size(), 100.0 * within3 / bgr.size(), worst);
        EXPECT_LT(sum / bgr.size(), 1.5) << "flags " << flags;
        EXPECT_GT(within3, bgr.size() * 93 / 100) << "flags " << flags;
        EXPECT_LE(worst, 24) << "flags " << flags;
    }
}

}  // namespace
}  // namespace framewise
