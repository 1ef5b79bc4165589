#include "picture/PictureCompleteness.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

namespace framewise {

namespace {

// The file's bytes through a window of 64 KB: the checks walk forward through files of any
// size (a panorama, or gigabytes of junk behind a JPEG signature) without holding them.
class Bytes {
  public:
    explicit Bytes(std::ifstream& in) : m_in(in) {
        m_in.seekg(0, std::ios::end);
        const std::streamoff end = m_in.tellg();
        m_size = end > 0 ? size_t(end) : 0;
    }
    size_t size() const { return m_size; }
    // Byte i of the file, i < size().
    uint8_t operator[](size_t i) {
        if (i < m_start || i >= m_start + m_filled) Load(i);
        return m_window[i - m_start];
    }

  private:
    void Load(size_t i) {
        // A little behind i as well: the checks look back a few bytes after a jump.
        m_start = i > 16 ? i - 16 : 0;
        m_in.clear();
        m_in.seekg(std::streamoff(m_start));
        m_in.read(reinterpret_cast<char*>(m_window.data()), std::streamsize(m_window.size()));
        m_filled = size_t(std::max<std::streamsize>(m_in.gcount(), 0));
        // A file that shrank under us reads as zeros past its new end.
        if (i >= m_start + m_filled) {
            std::fill(m_window.begin(), m_window.end(), 0);
            m_start = i;
            m_filled = 1;
        }
    }

    std::ifstream& m_in;
    size_t m_size = 0;
    size_t m_start = 0;
    size_t m_filled = 0;
    std::vector<uint8_t> m_window = std::vector<uint8_t>(65536);
};

uint32_t Le16(Bytes& b, size_t i) {
    return b[i] | (uint32_t(b[i + 1]) << 8);
}
uint32_t Le32(Bytes& b, size_t i) {
    return Le16(b, i) | (Le16(b, i + 2) << 16);
}

bool IsFrameMarker(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the marker segments and entropy-coded data up to the end marker; data after it (phone
// makers append their own) does not matter. A header that lies about the picture's size counts
// as short as well: every block of a scan codes at least one bit, and whatever the sampling
// there is a block for every 32 x 32 pixels at least, so a first scan with fewer bits than
// that ends long before the picture does (the reader would make up the rest in grey).
bool JpegCutShort(Bytes& b) {
    size_t i = 2;
    const size_t n = b.size();
    uint64_t width = 0, height = 0;
    bool firstScan = true;
    while (true) {
        while (i < n && b[i] == 0xFF && i + 1 < n && b[i + 1] == 0xFF) ++i;  // fill bytes
        if (i + 1 >= n) return true;
        if (b[i] != 0xFF) {
            // Junk where a marker belongs: the reader skips to the next marker, and so do we.
            while (i < n && b[i] != 0xFF) ++i;
            continue;
        }
        const uint8_t marker = b[i + 1];
        if (marker == 0xD9) return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        if (i + 4 > n) return true;
        const size_t length = (size_t(b[i + 2]) << 8) | b[i + 3];
        if (IsFrameMarker(marker) && length >= 7 && i + 9 <= n) {
            height = (uint64_t(b[i + 5]) << 8) | b[i + 6];
            width = (uint64_t(b[i + 7]) << 8) | b[i + 8];
        }
        i += 2 + length;
        if (i > n) return true;
        if (marker != 0xDA) continue;
        // Scan data: a 0xFF is followed by 0x00 (a data byte) or a restart marker.
        const size_t start = i;
        while (i + 1 < n &&
               !(b[i] == 0xFF && b[i + 1] != 0x00 && !(b[i + 1] >= 0xD0 && b[i + 1] <= 0xD7)))
            ++i;
        if (firstScan) {
            firstScan = false;
            const uint64_t leastBits = ((width + 31) / 32) * ((height + 31) / 32);
            if (uint64_t(i - start) * 8 < leastBits) return true;
        }
    }
}

bool BmpCutShort(Bytes& b) {
    if (b.size() < 34) return true;
    const uint32_t compression = Le32(b, 30);
    if (compression != 0 && compression != 3) return false;  // run-length rows have no fixed size
    const uint64_t offset = Le32(b, 10);
    const int64_t width = int32_t(Le32(b, 18));
    int64_t height = int32_t(Le32(b, 22));
    if (height < 0) height = -height;
    const uint64_t bits = Le16(b, 28);
    if (width <= 0 || bits == 0) return false;
    const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    // Sizes whose product passes 64 bits describe more pixels than any file holds.
    if (height > 0 && stride > (UINT64_MAX - offset) / uint64_t(height)) return true;
    return offset + stride * uint64_t(height) > b.size();
}

// Skips a chain of data sub-blocks from i; false when the chain runs past the end.
bool SkipSubBlocks(Bytes& b, size_t& i) {
    while (i < b.size()) {
        const size_t size = b[i];
        i += 1 + size;
        if (size == 0) return true;
    }
    return false;
}

// The first image is what is shown; a file that holds it whole is not short.
bool GifCutShort(Bytes& b) {
    if (b.size() < 13) return true;
    size_t i = 13;
    if (b[10] & 0x80) i += 3u << ((b[10] & 7) + 1);
    while (i < b.size()) {
        const uint8_t block = b[i];
        if (block == 0x3B) return false;  // trailer before any image: the reader decides
        if (block == 0x21) {
            i += 2;
            if (!SkipSubBlocks(b, i)) return true;
        } else if (block == 0x2C) {
            if (i + 10 > b.size()) return true;
            const uint8_t flags = b[i + 9];
            i += 10;
            if (flags & 0x80) i += 3u << ((flags & 7) + 1);
            i += 1;  // LZW minimum code size
            return !SkipSubBlocks(b, i);
        } else {
            return false;  // damaged, not short
        }
    }
    return true;
}

}  // namespace

bool PictureFileCutShort(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    Bytes b(in);
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xD8) return JpegCutShort(b);
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return BmpCutShort(b);
    if (b.size() >= 4 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8')
        return GifCutShort(b);
    return false;
}

}  // namespace framewise
