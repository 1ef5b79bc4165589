// The scan of a JPEG file's first bytes (frame size, EXIF orientation, embedded thumbnail) over
// arbitrary bytes: whatever it answers lies inside the bytes it was given, and a scan of a
// longer start of the same file never contradicts itself about the thumbnail's place.
#include <cstdint>

#include "FuzzSupport.h"
#include "codec/JpegHeaderScan.h"

using namespace framewise;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const JpegHeaderScan scan = ScanJpegHeader(data, size);
    FUZZ_CHECK(scan.isJpeg == (size >= 2 && data[0] == 0xFF && data[1] == 0xD8));
    FUZZ_CHECK(scan.width >= 0 && scan.width <= 65535 && scan.height >= 0 && scan.height <= 65535);
    FUZZ_CHECK(scan.orientation >= 1 && scan.orientation <= 8);
    if (scan.thumbnailLength > 0) {
        FUZZ_CHECK(scan.thumbnailOffset < size);
        FUZZ_CHECK(scan.thumbnailLength <= size - scan.thumbnailOffset);
    }
    // The same file cut anywhere: the thumbnail found there is the one found in the whole.
    if (size > 0) {
        const JpegHeaderScan part = ScanJpegHeader(data, size / 2);
        if (part.thumbnailLength > 0) {
            FUZZ_CHECK(part.thumbnailOffset == scan.thumbnailOffset);
            FUZZ_CHECK(part.thumbnailLength == scan.thumbnailLength);
        }
    }
    return 0;
}
