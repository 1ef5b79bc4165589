#include "codec/BmpFile.h"

#include <fstream>
#include <iterator>

namespace framewise {

namespace {

void PutLe16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}
uint32_t GetLe16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t GetLe32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool Fail(std::string* error, const char* reason) {
    if (error) *error = reason;
    return false;
}

// One colour channel of a bit-field pixel, widened to 8 bits. Five-bit channels become
// value * 8 (the album reader's expansion), wider-than-8 ones keep their top 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
    }
    uint8_t Get(uint32_t pixel) const {
        if (!bits) return 0;
        uint32_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
    }
};

}  // namespace

int BmpRowStride(int width) {
    return (3 * width + 3) / 4 * 4;
}

std::vector<uint8_t> BmpHeader24(int width, int height, int resolution) {
    std::vector<uint8_t> h(54, 0);
    uint32_t imageSize = static_cast<uint32_t>(BmpRowStride(width)) * static_cast<uint32_t>(height);
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h, 2, imageSize + 54);
    PutLe32(h, 10, 54);
    PutLe32(h, 14, 40);
    PutLe32(h, 18, static_cast<uint32_t>(width));
    PutLe32(h, 22, static_cast<uint32_t>(height));
    PutLe16(h, 26, 1);
    PutLe16(h, 28, 24);
    PutLe32(h, 34, imageSize);
    PutLe32(h, 38, static_cast<uint32_t>(resolution));
    PutLe32(h, 42, static_cast<uint32_t>(resolution));
    return h;
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint8_t* bottomUpRows,
                                 int resolution) {
    std::vector<uint8_t> file = BmpHeader24(width, height, resolution);
    size_t pixels = static_cast<size_t>(BmpRowStride(width)) * static_cast<size_t>(height);
    file.insert(file.end(), bottomUpRows, bottomUpRows + pixels);
    return file;
}

bool WriteBmp24(const std::filesystem::path& path, int width, int height,
                const uint8_t* bottomUpRows, int resolution) {
    if (width < 1 || height < 1 || !bottomUpRows) return false;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    std::vector<uint8_t> header = BmpHeader24(width, height, resolution);
    f.write(reinterpret_cast<const char*>(header.data()), 54);
    f.write(reinterpret_cast<const char*>(bottomUpRows),
            static_cast<std::streamsize>(BmpRowStride(width)) * height);
    f.flush();
    return static_cast<bool>(f);
}

bool DecodeBmp24(const uint8_t* data, size_t size, BmpImage& out, std::string* error) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M') return Fail(error, "not a BMP file");
    uint32_t offset = GetLe32(data + 10);
    uint32_t infoSize = GetLe32(data + 14);
    if (infoSize < 40) return Fail(error, "unsupported BMP header");
    int32_t width = static_cast<int32_t>(GetLe32(data + 18));
    int32_t rawHeight = static_cast<int32_t>(GetLe32(data + 22));
    int bpp = static_cast<int>(GetLe16(data + 28));
    uint32_t compression = GetLe32(data + 30);
    if (width < 1 || width > kBmpMaxDimension || rawHeight == 0 || rawHeight < -kBmpMaxDimension ||
        rawHeight > kBmpMaxDimension)
        return Fail(error, "bad BMP size");
    bool topDown = rawHeight < 0;
    int height = topDown ? -rawHeight : rawHeight;
    if (bpp != 16 && bpp != 24 && bpp != 32) return Fail(error, "unsupported BMP bit depth");
    if (compression != 0 && !(compression == 3 && bpp != 24))
        return Fail(error, "compressed BMP files are not supported");

    // Bit-field masks sit in the information header of V4/V5 files, or right after the
    // 40-byte one.
    uint32_t masks[3] = {0, 0, 0};
    if (compression == 3) {
        if (14ull + 40 + 12 > size) return Fail(error, "truncated BMP header");
        for (int i = 0; i < 3; ++i) masks[i] = GetLe32(data + 54 + 4 * i);
    } else if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    uint64_t srcStride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
    uint64_t need = static_cast<uint64_t>(offset) + srcStride * static_cast<uint64_t>(height);
    if (offset < 54 || need > size) return Fail(error, "truncated BMP pixel data");

    int dstStride = BmpRowStride(width);
    try {
        out.rows.assign(static_cast<size_t>(dstStride) * static_cast<size_t>(height), 0);
    } catch (...) {
        return Fail(error, "out of memory");
    }
    out.width = width;
    out.height = height;
    out.bitsPerPixel = bpp;
    for (int y = 0; y < height; ++y) {
        // Destination rows are bottom-up; a top-down file's first row is the top one.
        int srcRow = topDown ? height - 1 - y : y;
        const uint8_t* s = data + offset + srcStride * static_cast<uint64_t>(srcRow);
        uint8_t* d = out.rows.data() + static_cast<size_t>(dstStride) * y;
        if (bpp == 24) {
            std::copy(s, s + 3 * width, d);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            uint32_t p = bpp == 16 ? GetLe16(s + 2 * x) : GetLe32(s + 4 * x);
            d[3 * x] = blue.Get(p);
            d[3 * x + 1] = green.Get(p);
            d[3 * x + 2] = red.Get(p);
        }
    }
    return true;
}

bool ReadBmp24(const std::filesystem::path& path, BmpImage& out, std::string* error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return Fail(error, "cannot open file");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
    return DecodeBmp24(bytes.data(), bytes.size(), out, error);
}

}  // namespace framewise
