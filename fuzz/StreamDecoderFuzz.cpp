// The device picture stream decoder over arbitrary bytes: a picture read from a frame or a
// .dpf file is outside input. Every stream of a size the frame could have is decoded twice,
// by the long-lived decoder the program keeps and by a fresh one: a decode must never depend
// on what an earlier stream left in the tables or the coefficient block.
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "codec/JpegDecoder.h"
#include "transfer/DeviceConnection.h"

using namespace framewise;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static JpegDecoder kept;
    int width = 0, height = 0;
    DecodedPicture picture;
    if (!ReadStreamSize(data, size, width, height)) {
        FUZZ_CHECK(!kept.decode(data, size, 128, 128, picture));
        return 0;
    }
    // Another LCD size than the stream's own is always refused.
    FUZZ_CHECK(!kept.decode(data, size, width + 1, height, picture));
    // Only LCD sizes an attach accepts reach the decoder.
    if (width < 1 || height < 1 || width > kMaxLcdSide || height > kMaxLcdSide) return 0;

    const bool decoded = kept.decode(data, size, width, height, picture);
    auto fresh = std::make_unique<JpegDecoder>();
    DecodedPicture again;
    const bool decodedAgain = fresh->decode(data, size, width, height, again);
    FUZZ_CHECK(decoded == decodedAgain);
    if (!decoded) return 0;
    FUZZ_CHECK(picture.width == width && picture.height == height);
    FUZZ_CHECK(picture.samplingMode == (data[4] & 3));
    FUZZ_CHECK(picture.bgr.size() == size_t(width) * size_t(height) * 3);
    FUZZ_CHECK(picture.bgr == again.bgr);
    return 0;
}
