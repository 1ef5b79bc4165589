#include "codec/JpegDecoder.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "codec/BmpFile.h"
#include "codec/InverseDct.h"
#include "codec/JpegTables.h"
#include "codec/Vectorize.h"

namespace framewise {

namespace {

// No stream is longer than the largest flash (its size field has 24 bits): a longer file is
// refused before it is read, so that a hostile .dpf file cannot take the memory it names.
constexpr size_t kMaxStreamFileBytes = 16u << 20;

inline uint32_t Be16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}

inline uint8_t Clamp(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Fixed-point YCbCr to BGR with 10 fraction bits, one picture line. With y scaled by 1024 the
// sum (1024 * y + 512 + c * chroma) >> 10 is y + ((c * chroma + 512) >> 10) exactly, so each
// channel is the luminance plus a small chroma term, in a loop over the whole line that the
// compiler vectorises. cb and cr hold one sample per pixel (replicated beforehand).
FRAMEWISE_VECTOR_KERNEL void ConvertLine(const uint8_t* __restrict y, const uint8_t* __restrict cb,
                                         const uint8_t* __restrict cr, int n,
                                         uint8_t* __restrict dst) {
    for (int x = 0; x < n; ++x) {
        int32_t v = y[x];
        int32_t b = cb[x] - 128, r = cr[x] - 128;
        dst[3 * x] = Clamp(v + ((1815 * b + 512) >> 10));
        dst[3 * x + 1] = Clamp(v + ((-352 * b - 731 * r + 512) >> 10));
        dst[3 * x + 2] = Clamp(v + ((1436 * r + 512) >> 10));
    }
}

// Chroma halved horizontally: each sample serves two pixels.
FRAMEWISE_VECTOR_KERNEL void DoubleLine(const uint8_t* __restrict in, int n,
                                        uint8_t* __restrict out) {
    for (int x = 0; x < n; ++x) {
        out[2 * x] = in[x];
        out[2 * x + 1] = in[x];
    }
}

// An 8x8 block of samples into a plane with the given stride.
inline void PlaceBlock(const uint8_t* block, uint8_t* at, size_t stride) {
    for (int r = 0; r < 8; ++r) std::memcpy(at + r * stride, block + r * 8, 8);
}

}  // namespace

// Stream bits, most significant first, no byte stuffing. The 64-bit window holds nbits valid
// bits at its top; past the end of the data it reads zero bytes, and the caller compares the
// bits consumed with the data size to catch a stream that ends too early.
struct JpegDecoder::BitReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    uint64_t acc = 0;
    int nbits = 0;

    inline void refill() {
        if (pos + 8 <= size) {
            uint64_t w = 0;
            for (int i = 0; i < 8; ++i) w = (w << 8) | data[pos + i];
            // The bits below the counted ones are the stream's own next bits, so OR-ing the
            // same bytes in again later changes nothing.
            acc |= w >> nbits;
            int bytes = (63 - nbits) >> 3;
            pos += static_cast<size_t>(bytes);
            nbits += bytes * 8;
            return;
        }
        while (nbits <= 56) {
            uint64_t b = pos < size ? data[pos] : 0;
            ++pos;
            acc |= b << (56 - nbits);
            nbits += 8;
        }
    }
    inline void consume(int n) {
        acc <<= n;
        nbits -= n;
    }
    uint64_t consumedBits() const {
        return static_cast<uint64_t>(pos) * 8 - static_cast<uint64_t>(nbits);
    }
    void alignToByte() { consume(nbits & 7); }

    // A symbol of table t, or -1 for a bit pattern that is no code.
    inline int symbol(const HuffmanTable& t) {
        if (nbits < 32) refill();
        uint32_t e = t.fast[acc >> 55];
        if (e) {
            consume(static_cast<int>(e >> 8));
            return static_cast<int>(e & 0xFF);
        }
        int32_t code16 = static_cast<int32_t>(acc >> 48);
        for (int len = 10; len <= 16; ++len) {
            int32_t code = code16 >> (16 - len);
            if (code <= t.maxCode[len]) {
                consume(len);
                return t.symbols[static_cast<size_t>(code + t.valOffset[len])];
            }
        }
        return -1;
    }
    // The value of a size-s magnitude category (s <= 15; at least 16 bits are in the window
    // after a symbol): a leading 0 bit makes it negative.
    inline int32_t extend(int s) {
        if (s == 0) return 0;
        int32_t v = static_cast<int32_t>(acc >> (64 - s));
        consume(s);
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }
};

bool ReadStreamSize(const uint8_t* data, size_t size, int& width, int& height) {
    if (!data || size < 4) return false;
    width = static_cast<int>(Be16(data));
    height = static_cast<int>(Be16(data + 2));
    return true;
}

bool ReadStreamSize(const std::filesystem::path& stream, int& width, int& height) {
    std::ifstream f(stream, std::ios::binary);
    uint8_t head[4];
    if (!f.read(reinterpret_cast<char*>(head), 4)) return false;
    return ReadStreamSize(head, 4, width, height);
}

namespace {
std::atomic<std::FILE*> g_samplingNameOutput{stdout};
}  // namespace

void JpegDecoder::SetSamplingNameOutput(std::FILE* out) {
    g_samplingNameOutput.store(out);
}

const char* SamplingName(int samplingMode) {
    static const char* const kNames[4] = {"H1V1", "H2V1", "H1V2", "H2V2"};
    return kNames[samplingMode & 3];
}

bool JpegDecoder::buildHuffman(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols,
                               int count) {
    t = HuffmanTable{};
    t.count = count;
    std::memcpy(t.symbols.data(), symbols, static_cast<size_t>(count));
    // Canonical codes as in Annex C; a table whose counts overfill a length's code space
    // cannot be decoded unambiguously and is refused.
    int32_t code = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
        int n = counts[len - 1];
        t.valOffset[len] = k - code;
        if (n) {
            if (code + n > (1 << len)) return false;
            for (int i = 0; i < n; ++i, ++k, ++code) {
                if (len <= 9) {
                    int shift = 9 - len;
                    uint16_t e = static_cast<uint16_t>((len << 8) | symbols[k]);
                    for (int f = code << shift; f < ((code + 1) << shift); ++f) t.fast[f] = e;
                }
            }
            t.maxCode[len] = code - 1;
        } else {
            t.maxCode[len] = -1;
        }
        code <<= 1;
    }
    t.maxCode[17] = 0x7FFFFFFF;
    // Run/size pairs whose code and value bits together fit the 9-bit look-up (end of block
    // and sixteen zeros, of size 0, stay on the symbol path).
    for (int p = 0; p < 512; ++p) {
        uint16_t e = t.fast[p];
        if (!e) continue;
        int len = e >> 8, rs = e & 0xFF, size = rs & 15;
        if (size == 0 || len + size > 9) continue;
        int32_t v = (p >> (9 - len - size)) & ((1 << size) - 1);
        if (v < (1 << (size - 1))) v = v - (1 << size) + 1;
        t.fastAc[p] =
            static_cast<int32_t>(static_cast<uint32_t>(v) << 16) | ((rs >> 4) << 8) | (len + size);
    }
    t.defined = true;
    return true;
}

bool JpegDecoder::readTables(const uint8_t* data, size_t size, size_t& pos) {
    // Quantization body: length, then (number, 64 zig-zag values) pairs.
    if (size - pos < 2) return false;
    uint32_t len = Be16(data + pos);
    pos += 2;
    if (len > 2 && len <= 132) {
        uint32_t used = 0;
        while (used + 2 < len) {
            if (size - pos < 1) return false;
            uint8_t number = data[pos++];
            ++used;
            if (number > 1) break;
            if (size - pos < 64) return false;
            for (int k = 0; k < 64; ++k) {
                int n = kZigZag[k];
                m_dequant[number][n] = static_cast<uint16_t>(data[pos + k] * kAanInverseScale[n]);
            }
            m_quantDefined[number] = true;
            pos += 64;
            used += 64;
        }
    }
    // Huffman body: length, then (class/number, 16 counts, symbols) groups.
    if (size - pos < 2) return false;
    len = Be16(data + pos);
    pos += 2;
    if (len <= 2) return true;
    uint32_t used = 0;
    int table = 0;
    while (used + 2 < len) {
        if (size - pos < 17) return false;
        switch (data[pos]) {
            case 0x00:
                table = 0;
                break;
            case 0x01:
                table = 1;
                break;
            case 0x10:
                table = 2;
                break;
            case 0x11:
                table = 3;
                break;
            default:
                break;  // keeps the previous table number
        }
        const uint8_t* counts = data + pos + 1;
        int total = 0;
        for (int i = 0; i < 16; ++i) total += counts[i];
        if (total == 0 || total > (table < 2 ? 16 : 162)) return false;
        if (size - pos - 17 < static_cast<size_t>(total)) return false;
        if (!buildHuffman(m_huffman[table], counts, data + pos + 17, total)) return false;
        pos += 17 + static_cast<size_t>(total);
        used += 17 + static_cast<uint32_t>(total);
    }
    return true;
}

bool JpegDecoder::decodeBlock(BitReader& bits, const HuffmanTable& dc, const HuffmanTable& ac,
                              int16_t& predictor, const uint16_t* dequant, uint8_t* samples) {
    // Only the positions this block writes are cleared again afterwards, on every way out.
    int16_t* const coef = m_coef;
    uint8_t written[64];
    int writtenCount = 0;
    auto fail = [&]() {
        for (int i = 0; i < writtenCount; ++i) coef[written[i]] = 0;
        return false;
    };
    int s = bits.symbol(dc);
    if (s < 0 || s > 15) return false;
    predictor = static_cast<int16_t>(predictor + bits.extend(s));
    coef[0] = predictor;
    bool anyAc = false;
    for (int k = 1; k < 64;) {
        if (bits.nbits < 32) bits.refill();
        int32_t f = ac.fastAc[bits.acc >> 55];
        int run, size;
        int32_t v;
        if (f) {
            bits.consume(f & 0xFF);
            run = (f >> 8) & 15;
            v = f >> 16;
        } else {
            int rs = bits.symbol(ac);
            if (rs < 0) return fail();
            run = rs >> 4;
            size = rs & 15;
            if (size == 0) {
                if (run == 0) break;  // end of block
                if (run == 15) {      // sixteen zeros
                    k += 16;
                    continue;
                }
            }
            v = bits.extend(size);
        }
        k += run;
        if (k > 63) k = 63;
        const int n = kZigZag[k];
        coef[n] = static_cast<int16_t>(v);
        written[writtenCount++] = static_cast<uint8_t>(n);
        anyAc |= v != 0;
        ++k;
    }
    if (anyAc)
        InverseDct(coef, dequant, samples);
    else
        InverseDctDcOnly(coef[0], dequant, samples);
    fail();
    coef[0] = 0;
    return true;
}

bool JpegDecoder::decode(const uint8_t* data, size_t size, int expectedWidth, int expectedHeight,
                         DecodedPicture& out) {
    if (!data || size < 16) return false;
    const int width = static_cast<int>(Be16(data));
    const int height = static_cast<int>(Be16(data + 2));
    if (width != expectedWidth || height != expectedHeight || width < 1 || height < 1) return false;
    m_width = static_cast<uint16_t>(width);
    const uint8_t flags = data[4];
    if (flags > 15) return false;
    const int mode = flags & 3;
    const uint8_t* sel = data + 5;

    const int mcuWidth = ((mode & 1) + 1) * 8;
    const int mcuHeight = ((mode >> 1) + 1) * 8;
    const int paddedWidth = (width + 7) / 8 * 8;
    const int mcusPerRow = (paddedWidth + mcuWidth - 1) / mcuWidth;
    const int mcuRows = (height + mcuHeight - 1) / mcuHeight;

    size_t pos = 16;
    if (!(flags & 8)) {
        uint64_t indexBytes =
            8ull * static_cast<uint64_t>(mcusPerRow) * static_cast<uint64_t>(mcuRows);
        if (indexBytes > size - pos) return false;
        pos += static_cast<size_t>(indexBytes);
    }

    m_quantDefined = {false, false};
    for (auto& t : m_huffman) t.defined = false;
    int quantSel[3] = {sel[0], sel[1], sel[2]};
    if (flags & 4) {
        // Tables K.1/K.2 scaled by the encoder's scale factor, and the Annex K codes.
        uint16_t scale = static_cast<uint16_t>(Be16(sel));
        for (int n = 0; n < 64; ++n) {
            m_dequant[0][n] = static_cast<uint16_t>(ScaleQuantEntry(kLuminanceQuant[n], scale) *
                                                    kAanInverseScale[n]);
            m_dequant[1][n] = static_cast<uint16_t>(ScaleQuantEntry(kChrominanceQuant[n], scale) *
                                                    kAanInverseScale[n]);
        }
        m_quantDefined = {true, true};
        buildHuffman(m_huffman[0], kDcLuminance.counts.data(), kDcLuminance.symbols,
                     kDcLuminance.symbolCount);
        buildHuffman(m_huffman[1], kDcChrominance.counts.data(), kDcChrominance.symbols,
                     kDcChrominance.symbolCount);
        buildHuffman(m_huffman[2], kAcLuminance.counts.data(), kAcLuminance.symbols,
                     kAcLuminance.symbolCount);
        buildHuffman(m_huffman[3], kAcChrominance.counts.data(), kAcChrominance.symbols,
                     kAcChrominance.symbolCount);
        quantSel[0] = 0;
        quantSel[1] = 1;
    } else if (!readTables(data, size, pos)) {
        return false;
    }
    // Every table a component selects must exist in this stream.
    const uint16_t* dequant[3];
    const HuffmanTable* dc[3];
    const HuffmanTable* ac[3];
    for (int c = 0; c < 3; ++c) {
        if (quantSel[c] > 1 || sel[3 + c] > 1 || sel[6 + c] > 1) return false;
        if (!m_quantDefined[quantSel[c]]) return false;
        dequant[c] = m_dequant[quantSel[c]].data();
        dc[c] = &m_huffman[sel[3 + c]];
        ac[c] = &m_huffman[sel[6 + c] + 2];
        if (!dc[c]->defined || !ac[c]->defined) return false;
    }

    // Each MCU row is decoded into planes as wide as the MCU grid (MCUs reaching past the
    // padded width, with chroma halved horizontally and a width not a multiple of 16, land
    // inside them), then converted line by line into the picture's own width.
    const size_t gridWidth = static_cast<size_t>(mcusPerRow) * mcuWidth;
    const size_t chromaWidth = static_cast<size_t>(mcusPerRow) * 8;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    try {
        // Every byte of the picture is written by the conversion, so a reused buffer needs no
        // clearing.
        out.bgr.resize(rowBytes * static_cast<size_t>(height));
        m_lumaPlane.resize(gridWidth * 16);
        m_chromaPlanes.resize(chromaWidth * 16 + gridWidth * 2);
    } catch (...) {
        return false;
    }
    uint8_t* const lumaPlane = m_lumaPlane.data();
    uint8_t* const cbPlane = m_chromaPlanes.data();
    uint8_t* const crPlane = cbPlane + chromaWidth * 8;
    uint8_t* const cbLine = crPlane + chromaWidth * 8;  // one chroma line at full width
    uint8_t* const crLine = cbLine + gridWidth;

    BitReader bits;
    bits.data = data;
    bits.size = size;
    bits.pos = pos;
    const uint64_t totalBits = static_cast<uint64_t>(size) * 8;
    int16_t predY = 0, predCb = 0, predCr = 0;
    const int yBlocks = (mode == 0) ? 1 : (mode == 3 ? 4 : 2);
    const int yAcross = mcuWidth / 8;
    alignas(32) uint8_t yS[64];
    alignas(32) uint8_t cbS[64];
    alignas(32) uint8_t crS[64];
    for (int my = 0; my < mcuRows; ++my) {
        for (int mx = 0; mx < mcusPerRow; ++mx) {
            if (!decodeBlock(bits, *dc[1], *ac[1], predCb, dequant[1], cbS)) return false;
            if (!decodeBlock(bits, *dc[2], *ac[2], predCr, dequant[2], crS)) return false;
            PlaceBlock(cbS, cbPlane + static_cast<size_t>(mx) * 8, chromaWidth);
            PlaceBlock(crS, crPlane + static_cast<size_t>(mx) * 8, chromaWidth);
            for (int b = 0; b < yBlocks; ++b) {
                if (!decodeBlock(bits, *dc[0], *ac[0], predY, dequant[0], yS)) return false;
                PlaceBlock(yS,
                           lumaPlane + static_cast<size_t>(b / yAcross) * 8 * gridWidth +
                               static_cast<size_t>(mx) * mcuWidth + (b % yAcross) * 8,
                           gridWidth);
            }
            bits.alignToByte();
            if (bits.consumedBits() > totalBits) return false;  // data ended early
        }
        const int lines = std::min(mcuHeight, height - my * mcuHeight);
        for (int i = 0; i < lines; ++i) {
            const uint8_t* cb = cbPlane + static_cast<size_t>(i >> (mode >> 1)) * chromaWidth;
            const uint8_t* cr = crPlane + static_cast<size_t>(i >> (mode >> 1)) * chromaWidth;
            if (mode & 1) {
                DoubleLine(cb, static_cast<int>(chromaWidth), cbLine);
                DoubleLine(cr, static_cast<int>(chromaWidth), crLine);
                cb = cbLine;
                cr = crLine;
            }
            ConvertLine(lumaPlane + static_cast<size_t>(i) * gridWidth, cb, cr, width,
                        out.bgr.data() + (static_cast<size_t>(my) * mcuHeight + i) * rowBytes);
        }
    }
    out.width = width;
    out.height = height;
    out.samplingMode = mode;
    return true;
}

bool JpegDecoder::decodeToBitmap(const std::filesystem::path& stream,
                                 const std::filesystem::path& bitmap, int lcdWidth, int lcdHeight) {
    std::ifstream f(stream, std::ios::binary);
    if (!f) return false;
    std::vector<uint8_t> data;
    try {
        f.seekg(0, std::ios::end);
        std::streamoff n = f.tellg();
        if (n < 0 || static_cast<uint64_t>(n) > kMaxStreamFileBytes) return false;
        f.seekg(0);
        data.resize(static_cast<size_t>(n));
        if (n > 0 && !f.read(reinterpret_cast<char*>(data.data()), n)) return false;
    } catch (...) {
        return false;
    }
    DecodedPicture picture;
    if (!decode(data.data(), data.size(), lcdWidth, lcdHeight, picture)) return false;
    if (std::FILE* out = g_samplingNameOutput.load()) {
        std::fputs(SamplingName(picture.samplingMode), out);
        std::fputc('\n', out);
        std::fflush(out);
    }

    // The album picture file: bottom-up rows, padded to 4 bytes, resolution 300.
    const int stride = BmpRowStride(picture.width);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(rows.data() + static_cast<size_t>(picture.height - 1 - y) * stride,
                    picture.bgr.data() + static_cast<size_t>(y) * picture.width * 3,
                    static_cast<size_t>(picture.width) * 3);
    WriteBmp24(bitmap, picture.width, picture.height, rows.data(), 300);
    return true;
}

}  // namespace framewise
