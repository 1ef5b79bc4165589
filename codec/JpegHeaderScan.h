// What the first bytes of a JPEG file tell without decoding it: the picture's size from its
// frame header, and from an EXIF block the orientation and where the embedded thumbnail lies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace framewise {

struct JpegHeaderScan {
    bool isJpeg = false;  // starts with the start-of-image marker
    int width = 0;        // from the frame header, 0 when none was reached
    int height = 0;
    int orientation = 1;  // the EXIF orientation tag, 1..8 (1 when absent or out of range)
    // The embedded thumbnail (IFD1's JPEGInterchangeFormat), as an offset and length into the
    // scanned bytes; length 0 when there is none or it does not lie wholly inside them.
    size_t thumbnailOffset = 0;
    size_t thumbnailLength = 0;
};

// Walks the marker segments of head (the start of a file; it may be cut anywhere) up to the
// frame header or the first scan. Untrusted input: every offset and count is checked against
// the bytes at hand, the IFD walk is bounded, and nothing is read outside head.
JpegHeaderScan ScanJpegHeader(const uint8_t* head, size_t size);

}  // namespace framewise
