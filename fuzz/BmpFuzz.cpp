// The bitmap reader over arbitrary bytes (album files, the encode command's input), and the
// album list's thumbnail scaling of what it reads. What it answers is checked against the
// file itself: sizes within the codecs' range, no more pixels than the file holds, and the
// rows of a plain 24-bit file exactly as stored.
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "album/ThumbnailScale.h"
#include "codec/BmpFile.h"

using namespace framewise;

namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BmpImage image;
    std::string error;
    if (!DecodeBmp24(data, size, image, &error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(image.width >= 1 && image.width <= kBmpMaxDimension);
    FUZZ_CHECK(image.height >= 1 && image.height <= kBmpMaxDimension);
    const size_t stride = size_t(BmpRowStride(image.width));
    FUZZ_CHECK(image.rows.size() == stride * size_t(image.height));
    // Every pixel came from the file: at most 3 bytes out for every 2 bytes in, plus padding.
    FUZZ_CHECK(image.rows.size() <= 2 * size + 4 * size_t(image.height));

    const uint32_t offset = Le32(data + 10);
    const int32_t rawHeight = int32_t(Le32(data + 22));
    if (image.bitsPerPixel == 24 && rawHeight > 0) {
        // Bottom-up 24-bit rows are stored exactly as the reader answers them.
        const size_t row = size_t(image.width) * 3;
        const size_t fileStride = (row + 3) / 4 * 4;
        for (int y = 0; y < image.height; ++y)
            FUZZ_CHECK(std::memcmp(image.rows.data() + stride * size_t(y),
                                   data + offset + fileStride * size_t(y), row) == 0);
    }

    const int thumbWidth = 1 + data[18] % 96, thumbHeight = 1 + data[22] % 96;
    const std::vector<uint8_t> thumb = AreaScaleToRgb(image.rows.data(), image.width, image.height,
                                                      int(stride), thumbWidth, thumbHeight);
    FUZZ_CHECK(thumb.size() == size_t(thumbWidth) * size_t(thumbHeight) * 3);
    return 0;
}
