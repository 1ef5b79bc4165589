#include "codec/JpegHeaderScan.h"

#include <cstring>

namespace framewise {
namespace {

// Markers (ISO/IEC 10918-1 table B.1).
constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kTem = 0x01;

// SOF0..SOF15 carry the frame size, except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

uint32_t Be16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}

// The TIFF structure inside the EXIF block, in its own byte order.
class Tiff {
  public:
    Tiff(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ReadHeader(uint32_t& firstIfd) {
        if (m_size < 8) return false;
        if (m_data[0] == 'I' && m_data[1] == 'I') {
            m_little = true;
        } else if (m_data[0] == 'M' && m_data[1] == 'M') {
            m_little = false;
        } else {
            return false;
        }
        if (U16(2) != 42) return false;
        firstIfd = U32(4);
        return true;
    }

    // One IFD: calls entry(tag, type, count, valueOffset) for each entry, answers the offset
    // of the next IFD (0 when none or the IFD is cut off).
    template <typename F>
    uint32_t WalkIfd(uint32_t at, F&& entry) const {
        if (at < 8 || at > m_size || m_size - at < 2) return 0;
        const uint32_t count = U16(at);
        // Each entry is 12 bytes; an IFD claiming more than the block holds is cut off.
        if ((m_size - at - 2) / 12 < count) return 0;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t e = at + 2 + 12 * i;
            entry(U16(e), U16(e + 2), U32(e + 4), e + 8);
        }
        const uint32_t next = at + 2 + 12 * count;
        return m_size - next >= 4 ? U32(next) : 0;
    }

    // A SHORT or LONG value held in the entry itself.
    uint32_t Value(uint32_t type, uint32_t valueAt) const {
        return type == 3 ? U16(valueAt) : U32(valueAt);
    }

  private:
    uint32_t U16(uint32_t at) const {
        const uint8_t* p = m_data + at;
        return m_little ? (uint32_t{p[1]} << 8) | p[0] : (uint32_t{p[0]} << 8) | p[1];
    }
    uint32_t U32(uint32_t at) const {
        const uint8_t* p = m_data + at;
        return m_little
                   ? (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]
                   : (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    }

    const uint8_t* m_data;
    size_t m_size;
    bool m_little = false;
};

// Tags of IFD0 and IFD1 (EXIF 2.3 / TIFF 6.0).
constexpr uint32_t kTagOrientation = 0x0112;
constexpr uint32_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat
constexpr uint32_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
constexpr uint32_t kTypeShort = 3;
constexpr uint32_t kTypeLong = 4;

void ReadExif(const uint8_t* tiffStart, size_t tiffSize, size_t tiffOffsetInHead,
              JpegHeaderScan& scan) {
    Tiff tiff(tiffStart, tiffSize);
    uint32_t ifd0 = 0;
    if (!tiff.ReadHeader(ifd0)) return;
    const uint32_t ifd1 =
        tiff.WalkIfd(ifd0, [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t valueAt) {
            if (tag == kTagOrientation && type == kTypeShort && count == 1) {
                const uint32_t v = tiff.Value(type, valueAt);
                if (v >= 1 && v <= 8) scan.orientation = int(v);
            }
        });
    // A next-IFD offset pointing back at IFD0 (or before it) would loop; IFD1 is the only
    // other IFD wanted, so one step is all the walk takes.
    if (ifd1 == 0 || ifd1 == ifd0) return;
    uint32_t offset = 0, length = 0;
    tiff.WalkIfd(ifd1, [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t valueAt) {
        if (count != 1 || (type != kTypeShort && type != kTypeLong)) return;
        if (tag == kTagThumbnailOffset) offset = tiff.Value(type, valueAt);
        if (tag == kTagThumbnailLength) length = tiff.Value(type, valueAt);
    });
    if (offset == 0 || length == 0 || offset > tiffSize || tiffSize - offset < length) return;
    scan.thumbnailOffset = tiffOffsetInHead + offset;
    scan.thumbnailLength = length;
}

}  // namespace

JpegHeaderScan ScanJpegHeader(const uint8_t* head, size_t size) {
    JpegHeaderScan scan;
    if (head == nullptr || size < 2 || head[0] != 0xFF || head[1] != kSoi) return scan;
    scan.isJpeg = true;
    bool exifSeen = false;
    size_t pos = 2;
    while (pos + 4 <= size) {
        if (head[pos] != 0xFF) return scan;  // not at a marker: the stream is damaged
        const uint8_t marker = head[pos + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++pos;
            continue;
        }
        if (marker == kEoi || marker == kSos) return scan;
        if (marker == kTem || (marker >= 0xD0 && marker <= 0xD7)) {  // no length field
            pos += 2;
            continue;
        }
        const size_t length = Be16(head + pos + 2);
        if (length < 2) return scan;
        const size_t body = pos + 4;
        const size_t bodyLength = length - 2;
        const size_t available = size - body < bodyLength ? size - body : bodyLength;
        if (IsFrameHeader(marker)) {
            // P, Y (height), X (width), ...
            if (available >= 5) {
                scan.height = int(Be16(head + body + 1));
                scan.width = int(Be16(head + body + 3));
            }
            return scan;
        }
        // The first EXIF block counts; later APP1 blocks (XMP and others) are skipped.
        if (marker == kApp1 && !exifSeen && available >= 6 &&
            std::memcmp(head + body, "Exif\0\0", 6) == 0) {
            exifSeen = true;
            ReadExif(head + body + 6, available - 6, body + 6, scan);
        }
        pos = body + bodyLength;
    }
    return scan;
}

}  // namespace framewise
