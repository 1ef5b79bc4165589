#include "codec/JpegEncoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "codec/ForwardDct.h"
#include "codec/JpegTables.h"
#include "codec/Vectorize.h"

namespace framewise {

namespace {

// Worst case of one MCU: 6 blocks of (16 + 11) + 63 * (16 + 10) bits, doubled for
// stuffing, plus the padding byte and its stuffing.
constexpr size_t kMaxMcuBytes = 6 * 2 * ((27 + 63 * 26 + 7) / 8) + 2;
constexpr size_t kJfifHeaderBytes = 2 + 18 + 134 + 420 + 19 + 14;
constexpr size_t kDeviceHeaderBytes = 16;
constexpr size_t kTableBodyBytes = 132 + 418;

void BuildHuffmanTable(const HuffmanTableData& table, HuffmanEncodeTable& t) {
    t = HuffmanEncodeTable{};
    t.counts = table.counts;
    t.valueCount = table.symbolCount;
    std::copy(table.symbols, table.symbols + table.symbolCount, t.values.begin());
    // Canonical codes of Annex C: count up within a length, shift when the length grows;
    // an empty length still shifts, so the counting continues across it.
    uint32_t code = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
        for (int i = 0; i < table.counts[len - 1]; ++i, ++k) {
            uint8_t symbol = table.symbols[k];
            t.code[symbol] = code++;
            t.size[symbol] = static_cast<uint8_t>(len);
        }
        code <<= 1;
    }
}

inline int BitLength(uint32_t v) {
    return v ? 32 - __builtin_clz(v) : 0;
}

void PutBe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Segment bodies shared by both containers; each returns the byte count written.
size_t WriteQuantBody(uint8_t* p, const std::array<uint8_t, 64>& lum,
                      const std::array<uint8_t, 64>& chroma) {
    PutBe16(p, 132);
    p[2] = 0x00;
    for (int k = 0; k < 64; ++k) p[3 + k] = lum[kZigZag[k]];
    p[67] = 0x01;
    for (int k = 0; k < 64; ++k) p[68 + k] = chroma[kZigZag[k]];
    return 132;
}

size_t WriteHuffmanBody(uint8_t* p, const HuffmanEncodeTable* const tables[4]) {
    static const uint8_t kClassIds[4] = {0x00, 0x10, 0x01, 0x11};
    size_t n = 2;
    for (int i = 0; i < 4; ++i) {
        p[n++] = kClassIds[i];
        std::memcpy(p + n, tables[i]->counts.data(), 16);
        n += 16;
        std::memcpy(p + n, tables[i]->values.data(), static_cast<size_t>(tables[i]->valueCount));
        n += static_cast<size_t>(tables[i]->valueCount);
    }
    PutBe16(p, static_cast<uint32_t>(n));  // 418 for the Annex K tables
    return n;
}

// The colour tables are linear in the sample value (a multiplier times the value, plus a
// constant in the first entry), so the gathering loops multiply instead of looking up: the
// same sums, in loops the compiler can vectorise.
struct ColourProducts {
    int32_t mul[9];
    int32_t offset[3];  // Y, Cb, Cr
};

ColourProducts ProductsOf(const std::array<std::array<int32_t, 256>, 9>& t) {
    ColourProducts p{};
    for (int k = 0; k < 9; ++k) {
        p.mul[k] = t[k][1] - t[k][0];
        p.offset[k / 3] += t[k][0];
    }
    return p;
}

// Level-shifted Y of n pixels of one line, in a loop over the whole line that vectorises.
FRAMEWISE_VECTOR_KERNEL void LumaLine(const uint8_t* __restrict p, int n, const ColourProducts& cp,
                                      int32_t* __restrict y) {
    const int32_t ry = cp.mul[0], gy = cp.mul[1], by = cp.mul[2], oy = cp.offset[0];
    for (int j = 0; j < n; ++j)
        y[j] = ((ry * p[3 * j + 2] + gy * p[3 * j + 1] + by * p[3 * j] + oy) >> 16) - 128;
}

// Level-shifted Cb and Cr of n pixels of one line.
FRAMEWISE_VECTOR_KERNEL void ChromaLine(const uint8_t* __restrict p, int n,
                                        const ColourProducts& cp, int32_t* __restrict cb,
                                        int32_t* __restrict cr) {
    const int32_t rcb = cp.mul[3], gcb = cp.mul[4], bcb = cp.mul[5], ocb = cp.offset[1];
    const int32_t rcr = cp.mul[6], gcr = cp.mul[7], bcr = cp.mul[8], ocr = cp.offset[2];
    for (int c = 0; c < n; ++c) {
        const uint8_t* q = p + 3 * c;
        cb[c] = ((rcb * q[2] + gcb * q[1] + bcb * q[0] + ocb) >> 16) - 128;
        cr[c] = ((rcr * q[2] + gcr * q[1] + bcr * q[0] + ocr) >> 16) - 128;
    }
}

// Point sampling of chroma halved horizontally: the left sample of each pair. Converting the
// whole line and then dropping every second sample vectorises, where converting only every
// second pixel (a gap in the interleaved input) does not.
FRAMEWISE_VECTOR_KERNEL void EvenSamples(const int32_t* __restrict in, int n,
                                         int32_t* __restrict out) {
    for (int c = 0; c < n; ++c) out[c] = in[2 * c];
}

// For each byte of a natural-order bit mask: the same bits moved to their zig-zag positions.
struct ZigZagBitTable {
    uint64_t bits[8][256];
    ZigZagBitTable() {
        uint8_t zigZagOf[64];
        for (int k = 0; k < 64; ++k) zigZagOf[kZigZag[k]] = static_cast<uint8_t>(k);
        for (int g = 0; g < 8; ++g)
            for (int v = 0; v < 256; ++v) {
                uint64_t m = 0;
                for (int b = 0; b < 8; ++b)
                    if (v & (1 << b)) m |= 1ull << zigZagOf[8 * g + b];
                bits[g][v] = m;
            }
    }
};
const ZigZagBitTable kZigZagBits;

// Quantize: halves round away from zero; the reciprocal multiply is exact division for
// these dividends. Returns a bit mask of the non-zero terms in natural order: the loop writes
// one 0/1 byte per coefficient, and a multiplication packs each eight bytes into eight bits.
FRAMEWISE_VECTOR_KERNEL uint64_t Quantize(const int32_t* coef, const uint16_t* divisors,
                                          const uint32_t* reciprocals, int32_t* quant) {
    alignas(32) uint8_t nonZero[64];
    for (int i = 0; i < 64; ++i) {
        int32_t v = coef[i];
        uint32_t t = static_cast<uint32_t>(v < 0 ? -v : v) + (divisors[i] >> 1);
        int32_t q = static_cast<int32_t>((static_cast<uint64_t>(t) * reciprocals[i]) >> 31);
        quant[i] = v < 0 ? -q : q;
        nonZero[i] = q != 0;
    }
    uint64_t mask = 0;
    for (int g = 0; g < 8; ++g) {
        uint64_t x;
        std::memcpy(&x, nonZero + 8 * g, 8);
        if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
        mask |= ((x * 0x0102040810204080ull) >> 56) << (8 * g);
    }
    return mask;
}

}  // namespace

// Bits go out most significant first through a 64-bit accumulator, four bytes at a time;
// in JFIF mode every 0xFF byte is followed by a stuffed 0x00.
struct JpegEncoder::BitWriter {
    uint8_t* out = nullptr;
    size_t pos = 0;
    uint64_t acc = 0;
    int nbits = 0;  // pending bits in the low end of acc, below 32 between calls
    bool stuff = false;

    inline void byte(uint32_t b) {
        out[pos++] = static_cast<uint8_t>(b);
        if (stuff && static_cast<uint8_t>(b) == 0xFF) out[pos++] = 0;
    }
    inline void put(uint32_t bits, int n) {
        acc = (acc << n) | bits;
        nbits += n;
        if (nbits >= 32) {
            nbits -= 32;
            uint32_t w = static_cast<uint32_t>(acc >> nbits);
            if (!stuff || ((w & 0x80808080u) & ~(w + 0x01010101u)) == 0) {
                // No 0xFF byte in the word (or no stuffing): store it whole.
                out[pos] = static_cast<uint8_t>(w >> 24);
                out[pos + 1] = static_cast<uint8_t>(w >> 16);
                out[pos + 2] = static_cast<uint8_t>(w >> 8);
                out[pos + 3] = static_cast<uint8_t>(w);
                pos += 4;
            } else {
                byte(w >> 24), byte(w >> 16), byte(w >> 8), byte(w);
            }
        }
    }
    // Pads the last partial byte with 1-bits.
    void flushToByte() {
        while (nbits >= 8) {
            nbits -= 8;
            byte(static_cast<uint32_t>(acc >> nbits) & 0xFF);
        }
        if (nbits > 0) {
            uint32_t b = (static_cast<uint32_t>(acc << (8 - nbits)) | ((1u << (8 - nbits)) - 1));
            byte(b & 0xFF);
        }
        nbits = 0;
        acc = 0;
    }
};

JpegEncoder::JpegEncoder(uint16_t quality) {
    setQuality(quality);
}

void JpegEncoder::setQuality(uint16_t quality) {
    m_quality = quality;
    for (int i = 0; i < 256; ++i) {
        m_colour[0][i] = 19595 * i;
        m_colour[1][i] = 38470 * i;
        m_colour[2][i] = 7471 * i + 32768;
        m_colour[3][i] = -11059 * i;
        m_colour[4][i] = -21709 * i;
        m_colour[5][i] = 32768 * i + 8421375;  // 128 * 65536 + 32767
        m_colour[6][i] = 32768 * i + 8421375;
        m_colour[7][i] = -27439 * i;
        m_colour[8][i] = -5329 * i;
    }
    m_scaleFactor = ScaleFactorForQuality(quality);
    for (int i = 0; i < 64; ++i) {
        m_lumQuant[i] = ScaleQuantEntry(kLuminanceQuant[i], m_scaleFactor);
        m_chromaQuant[i] = ScaleQuantEntry(kChrominanceQuant[i], m_scaleFactor);
        // The DCT leaves its output scaled by 8 and the AAN factors; the divisor takes both.
        m_lumDivisors[i] =
            static_cast<uint16_t>((kAanForwardScale[i] * m_lumQuant[i] + 1024) >> 11);
        m_chromaDivisors[i] =
            static_cast<uint16_t>((kAanForwardScale[i] * m_chromaQuant[i] + 1024) >> 11);
        // Exact for the dividends that occur (below 2^19) since divisors stay below 2^12.
        m_lumReciprocal[i] =
            static_cast<uint32_t>(((1ull << 31) + m_lumDivisors[i] - 1) / m_lumDivisors[i]);
        m_chromaReciprocal[i] =
            static_cast<uint32_t>(((1ull << 31) + m_chromaDivisors[i] - 1) / m_chromaDivisors[i]);
    }
    BuildHuffmanTable(kDcLuminance, m_dcLum);
    BuildHuffmanTable(kAcLuminance, m_acLum);
    BuildHuffmanTable(kDcChrominance, m_dcChroma);
    BuildHuffmanTable(kAcChrominance, m_acChroma);
}

size_t JpegEncoder::MaxEncodedSize(int width, int height, uint32_t layoutFlags) {
    if (width < 1 || height < 1) return 0;
    size_t mcuW = (layoutFlags & kLayoutChromaHalfWidth) ? 16 : 8;
    size_t mcuH = (layoutFlags & kLayoutChromaHalfHeight) ? 16 : 8;
    size_t mcus = ((static_cast<size_t>(width) + mcuW - 1) / mcuW) *
                  ((static_cast<size_t>(height) + mcuH - 1) / mcuH);
    return kJfifHeaderBytes + 8 * mcus + kTableBodyBytes + kMaxMcuBytes * mcus + 4;
}

void JpegEncoder::convertMcuRow(int mcuY) {
    // Lines past the picture's bottom repeat its last line; pixels past its right edge repeat
    // the last pixel of the line.
    const ColourProducts products = ProductsOf(m_colour);
    const int gridWidth = m_mcusPerRow * m_mcuWidth;
    const int chromaWidth = m_mcusPerRow * 8;
    const int rowStep = (m_samplingMode & 2) ? 2 : 1;
    for (int i = 0; i < m_mcuHeight; ++i) {
        const int y = std::min(mcuY * m_mcuHeight + i, m_height - 1);
        const uint8_t* p = m_pixels + static_cast<size_t>(m_height - 1 - y) * m_stride;
        if (gridWidth > m_width) {
            uint8_t* e = m_edgeLine.data();
            std::memcpy(e, p, static_cast<size_t>(m_width) * 3);
            for (int x = m_width; x < gridWidth; ++x)
                std::memcpy(e + 3 * x, p + 3 * (m_width - 1), 3);
            p = e;
        }
        LumaLine(p, gridWidth, products, m_lumaPlane.data() + static_cast<size_t>(i) * gridWidth);
        if (i % rowStep) continue;
        int32_t* cb = m_chromaPlanes.data() + static_cast<size_t>(i / rowStep) * chromaWidth;
        int32_t* cr = cb + static_cast<size_t>(8) * chromaWidth;
        if (m_samplingMode & 1) {
            int32_t* fullCb = m_chromaPlanes.data() + static_cast<size_t>(16) * chromaWidth;
            int32_t* fullCr = fullCb + gridWidth;
            ChromaLine(p, gridWidth, products, fullCb, fullCr);
            EvenSamples(fullCb, chromaWidth, cb);
            EvenSamples(fullCr, chromaWidth, cr);
        } else {
            ChromaLine(p, chromaWidth, products, cb, cr);
        }
    }
}

void JpegEncoder::gatherMcu(int mcuX) {
    const size_t gridWidth = static_cast<size_t>(m_mcusPerRow) * m_mcuWidth;
    const size_t chromaWidth = static_cast<size_t>(m_mcusPerRow) * 8;
    const int across = m_mcuWidth / 8;
    for (int b = 0; b < m_yBlocksPerMcu; ++b) {
        const int32_t* src = m_lumaPlane.data() + static_cast<size_t>(b / across) * 8 * gridWidth +
                             static_cast<size_t>(mcuX) * m_mcuWidth + (b % across) * 8;
        for (int r = 0; r < 8; ++r)
            std::memcpy(m_blocks[b] + r * 8, src + r * gridWidth, 8 * sizeof(int32_t));
    }
    const int32_t* cb = m_chromaPlanes.data() + static_cast<size_t>(mcuX) * 8;
    const int32_t* cr = cb + 8 * chromaWidth;
    for (int r = 0; r < 8; ++r) {
        std::memcpy(m_blocks[4] + r * 8, cb + r * chromaWidth, 8 * sizeof(int32_t));
        std::memcpy(m_blocks[5] + r * 8, cr + r * chromaWidth, 8 * sizeof(int32_t));
    }
}

bool JpegEncoder::codeBlock(BitWriter& bits, int32_t* samples, const uint32_t* reciprocals,
                            const uint16_t* divisors, const HuffmanEncodeTable& dc,
                            const HuffmanEncodeTable& ac, int32_t& dcPred) {
    int32_t* const coef = samples;  // transformed in place
    ForwardDct(coef);

    alignas(32) int32_t quant[64];
    const uint64_t natural = Quantize(coef, divisors, reciprocals, quant);

    // DC difference.
    int32_t diff = quant[0] - dcPred;
    dcPred = quant[0];
    uint32_t mag = static_cast<uint32_t>(diff < 0 ? -diff : diff);
    int cat = BitLength(mag);
    if (cat > 15 || dc.size[cat] == 0) return false;
    uint32_t extra = static_cast<uint32_t>(diff < 0 ? diff - 1 : diff) & ((1u << cat) - 1);
    bits.put((dc.code[cat] << cat) | extra, dc.size[cat] + cat);

    // AC terms in zig-zag order; the bit mask of the non-zero ones, moved to zig-zag order by
    // table, lets the coder jump over runs of zeros.
    uint64_t nonZero = 0;
    for (int g = 0; g < 8; ++g) nonZero |= kZigZagBits.bits[g][(natural >> (8 * g)) & 0xFF];
    nonZero &= ~1ull;
    int last = 0;
    while (nonZero) {
        int k = __builtin_ctzll(nonZero);
        nonZero &= nonZero - 1;
        int run = k - last - 1;
        while (run > 15) {
            if (ac.size[0xF0] == 0) return false;
            bits.put(ac.code[0xF0], ac.size[0xF0]);
            run -= 16;
        }
        int32_t v = quant[kZigZag[k]];
        uint32_t m = static_cast<uint32_t>(v < 0 ? -v : v);
        int c = 32 - __builtin_clz(m);  // m is not zero: the mask holds non-zero terms only
        if (c > 15) return false;
        int symbol = run * 16 + c;
        if (ac.size[symbol] == 0) return false;
        uint32_t e = static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << c) - 1);
        bits.put((ac.code[symbol] << c) | e, ac.size[symbol] + c);
        last = k;
    }
    if (last != 63) {
        if (ac.size[0x00] == 0) return false;
        bits.put(ac.code[0x00], ac.size[0x00]);
    }
    return true;
}

bool JpegEncoder::encodeMcu(BitWriter& bits, int mcuX) {
    gatherMcu(mcuX);
    auto lumBlocks = [&]() {
        for (int b = 0; b < m_yBlocksPerMcu; ++b) {
            if (!codeBlock(bits, m_blocks[b], m_lumReciprocal.data(), m_lumDivisors.data(), m_dcLum,
                           m_acLum, m_dcPredY))
                return false;
        }
        return true;
    };
    auto chromaBlocks = [&]() {
        return codeBlock(bits, m_blocks[4], m_chromaReciprocal.data(), m_chromaDivisors.data(),
                         m_dcChroma, m_acChroma, m_dcPredCb) &&
               codeBlock(bits, m_blocks[5], m_chromaReciprocal.data(), m_chromaDivisors.data(),
                         m_dcChroma, m_acChroma, m_dcPredCr);
    };
    if (jfifMode) return lumBlocks() && chromaBlocks();
    // The device stream puts chroma first and starts every MCU on a byte boundary.
    if (!chromaBlocks() || !lumBlocks()) return false;
    bits.flushToByte();
    return true;
}

bool JpegEncoder::encode(const uint8_t* pixels, uint8_t* output, int width, int height,
                         size_t& outSize, uint32_t layoutFlags, size_t outCapacity) {
    if (!pixels || !output) return false;
    if (width < 1 || height < 1 || width > 65535 || height > 65535) return false;
    m_pixels = pixels;
    m_width = static_cast<uint16_t>(width);
    m_height = static_cast<uint16_t>(height);
    m_stride = ((width + 1) * 3 / 4) * 4;
    m_layoutFlags = layoutFlags;
    m_samplingMode = static_cast<int>(layoutFlags & 3);
    static const int kYBlocks[4] = {1, 2, 2, 4};
    m_yBlocksPerMcu = kYBlocks[m_samplingMode];
    m_mcuWidth = (layoutFlags & kLayoutChromaHalfWidth) ? 16 : 8;
    m_mcuHeight = (layoutFlags & kLayoutChromaHalfHeight) ? 16 : 8;
    m_mcusPerRow = (width + m_mcuWidth - 1) / m_mcuWidth;
    m_mcuRows = (height + m_mcuHeight - 1) / m_mcuHeight;
    m_dcPredY = m_dcPredCb = m_dcPredCr = 0;

    const HuffmanEncodeTable* const tables[4] = {&m_dcLum, &m_acLum, &m_dcChroma, &m_acChroma};
    const bool withIndex = !jfifMode && !(layoutFlags & kLayoutNoIndex);
    const bool withTables = jfifMode || !(layoutFlags & kLayoutNoTables);
    size_t indexBytes = withIndex ? 8ull * m_mcusPerRow * m_mcuRows : 0;
    size_t headerBytes = jfifMode
                             ? kJfifHeaderBytes
                             : kDeviceHeaderBytes + indexBytes + (withTables ? kTableBodyBytes : 0);
    if (headerBytes > outCapacity) return false;

    try {
        const size_t gridWidth = static_cast<size_t>(m_mcusPerRow) * m_mcuWidth;
        m_lumaPlane.resize(gridWidth * 16);
        m_chromaPlanes.resize(static_cast<size_t>(m_mcusPerRow) * 8 * 16 + gridWidth * 2);
        m_edgeLine.resize(gridWidth * 3);
    } catch (...) {
        return false;
    }

    size_t pos = 0;
    size_t indexPos = 0;
    if (jfifMode) {
        static const uint8_t kApp0[20] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F',
                                          0,    1,    1,    1,    1, 44, 1,   44,  0,   0};
        std::memcpy(output, kApp0, sizeof kApp0);  // SOI, APP0 with 300 x 300 dots per inch
        pos = sizeof kApp0;
        output[pos++] = 0xFF, output[pos++] = 0xDB;
        pos += WriteQuantBody(output + pos, m_lumQuant, m_chromaQuant);
        output[pos++] = 0xFF, output[pos++] = 0xC4;
        pos += WriteHuffmanBody(output + pos, tables);
        const uint8_t sof[19] = {
            0xFF,
            0xC0,
            0,
            17,
            8,
            static_cast<uint8_t>(height >> 8),
            static_cast<uint8_t>(height),
            static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(width),
            3,
            1,
            static_cast<uint8_t>(0x11 + (m_samplingMode & 1) * 0x10 + (m_samplingMode >> 1)),
            0,
            2,
            0x11,
            1,
            3,
            0x11,
            1};
        std::memcpy(output + pos, sof, sizeof sof);
        pos += sizeof sof;
        static const uint8_t kSos[14] = {0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
        std::memcpy(output + pos, kSos, sizeof kSos);
        pos += sizeof kSos;
    } else {
        PutBe16(output, m_width);
        PutBe16(output + 2, m_height);
        output[4] = static_cast<uint8_t>(layoutFlags);
        static const uint8_t kSelectors[9] = {0, 1, 1, 0, 1, 1, 0, 1, 1};
        std::memcpy(output + 5, kSelectors, 9);
        if (layoutFlags & kLayoutNoTables) PutBe16(output + 5, m_scaleFactor);
        output[14] = output[15] = 0;
        pos = kDeviceHeaderBytes;
        indexPos = pos;
        pos += indexBytes;
        if (withTables) {
            pos += WriteQuantBody(output + pos, m_lumQuant, m_chromaQuant);
            pos += WriteHuffmanBody(output + pos, tables);
        }
    }

    BitWriter bits;
    bits.stuff = jfifMode;
    uint8_t scratch[kMaxMcuBytes + 8];
    for (int my = 0; my < m_mcuRows; ++my) {
        convertMcuRow(my);
        for (int mx = 0; mx < m_mcusPerRow; ++mx) {
            if (withIndex) {
                uint8_t* e = output + indexPos;
                PutLe16(e, static_cast<uint32_t>(m_dcPredY));
                PutLe16(e + 2, static_cast<uint32_t>(m_dcPredCb));
                PutLe16(e + 4, static_cast<uint32_t>(m_dcPredCr));
                PutLe16(e + 6, static_cast<uint32_t>(pos - indexPos));
                indexPos += 8;
            }
            // Near the end of the caller's buffer an MCU is coded into scratch space first
            // and copied only if it fits.
            bool direct = outCapacity - pos >= kMaxMcuBytes;
            bits.out = direct ? output + pos : scratch;
            bits.pos = 0;
            if (!encodeMcu(bits, mx)) return false;
            if (!direct) {
                if (bits.pos > outCapacity - pos) return false;
                std::memcpy(output + pos, scratch, bits.pos);
            }
            pos += bits.pos;
        }
    }
    if (jfifMode) {
        bits.out = scratch;
        bits.pos = 0;
        bits.flushToByte();
        scratch[bits.pos++] = 0xFF;
        scratch[bits.pos++] = 0xD9;
        if (bits.pos > outCapacity - pos) return false;
        std::memcpy(output + pos, scratch, bits.pos);
        pos += bits.pos;
    }
    outSize = pos;
    return true;
}

}  // namespace framewise
