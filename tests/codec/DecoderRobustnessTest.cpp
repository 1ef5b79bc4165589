// Streams from the device and from .dpf files are untrusted: truncated and mutated streams
// must fail or decode, never read or write outside the decoder's buffers (run under ASan).
#include <gtest/gtest.h>

#include <random>

#include "EncodedStream.h"
#include "TestPictures.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"

namespace framewise {
namespace {

std::vector<uint8_t> Stream(int w, int h, uint32_t flags) {
    JpegEncoder enc(70);
    auto px = testing_pictures::PhotoLike(w, h, flags + 11);
    return testing_pictures::EncodedStream(enc, px, w, h, flags);
}

TEST(JpegDecoderRobustness, EveryTruncationFails) {
    for (uint32_t flags : {0u, 3u, 12u, 13u}) {
        auto s = Stream(24, 18, flags);
        JpegDecoder dec;
        DecodedPicture pic;
        ASSERT_TRUE(dec.decode(s.data(), s.size(), 24, 18, pic));
        for (size_t n = 0; n < s.size(); ++n) {
            std::vector<uint8_t> cut(s.begin(),
                                     s.begin() + static_cast<long>(n));  // exact size for ASan
            ASSERT_FALSE(dec.decode(cut.data(), cut.size(), 24, 18, pic))
                << "flags " << flags << " length " << n;
        }
    }
}

TEST(JpegDecoderRobustness, MutatedStreamsNeverFault) {
    std::mt19937 rng(2024);
    const uint32_t flagSet[] = {0, 1, 2, 3, 8, 12, 15};
    std::vector<std::vector<uint8_t>> seeds;
    for (uint32_t f : flagSet) seeds.push_back(Stream(20, 20, f));
    JpegDecoder dec;
    int decoded = 0;
    for (int trial = 0; trial < 6000; ++trial) {
        std::vector<uint8_t> s = seeds[trial % seeds.size()];
        int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            // Favour the header and tables, where a wrong byte does the most harm.
            size_t limit = (rng() % 2) ? std::min<size_t>(s.size(), 16 + 8 * 4 + 550) : s.size();
            size_t at = rng() % limit;
            switch (rng() % 4) {
                case 0:
                    s[at] = static_cast<uint8_t>(rng());
                    break;
                case 1:
                    s[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
                    break;
                case 2:
                    s[at] = (rng() % 2) ? 0xFF : 0x00;
                    break;
                default:
                    s.resize(at + 1);
                    break;
            }
            if (s.empty()) break;
        }
        s.shrink_to_fit();
        DecodedPicture pic;
        if (dec.decode(s.data(), s.size(), 20, 20, pic)) {
            ++decoded;
            ASSERT_EQ(20u * 20 * 3, pic.bgr.size());
        }
    }
    // Most single-byte changes in the MCU data still decode to some picture.
    EXPECT_GT(decoded, 100);
    // Nothing of a failed decode lingers into the next one.
    for (const auto& s : seeds) {
        DecodedPicture again, fresh;
        ASSERT_TRUE(dec.decode(s.data(), s.size(), 20, 20, again));
        ASSERT_TRUE(JpegDecoder().decode(s.data(), s.size(), 20, 20, fresh));
        EXPECT_EQ(fresh.bgr, again.bgr);
    }
}

}  // namespace
}  // namespace framewise
