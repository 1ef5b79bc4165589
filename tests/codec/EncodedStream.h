// One encode by a configured encoder into a buffer of the largest size it can need, cut to
// what it wrote; the test fails (non-fatally) when the encoder refuses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "codec/JpegEncoder.h"

namespace framewise::testing_pictures {

inline std::vector<uint8_t> EncodedStream(JpegEncoder& enc, const std::vector<uint8_t>& px, int w,
                                          int h, uint32_t flags) {
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(w, h, flags));
    size_t size = 0;
    EXPECT_TRUE(enc.encode(px.data(), out.data(), w, h, size, flags, out.size()));
    out.resize(size);
    return out;
}

}  // namespace framewise::testing_pictures
