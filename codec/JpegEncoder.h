// JpegEncoder: baseline JPEG encoder (AAN integer DCT, Annex K tables) writing either a
// JFIF file or the device picture stream (16-byte header, MCU index, byte-aligned MCUs).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace framewise {

// Bits of encode's layoutFlags.
enum JpegLayoutFlag : uint32_t {
    kLayoutChromaHalfWidth = 1,   // MCU 16 wide, luminance H factor 2
    kLayoutChromaHalfHeight = 2,  // MCU 16 high, luminance V factor 2
    kLayoutNoTables = 4,          // device stream: no table bodies, scale factor in the header
    kLayoutNoIndex = 8,           // device stream: no MCU index
};

// One Huffman table prepared for coding: code and length of every symbol (length 0 means
// the symbol has no code) plus the counts and symbols as written to the stream.
struct HuffmanEncodeTable {
    std::array<uint32_t, 256> code{};
    std::array<uint8_t, 256> size{};
    std::array<uint8_t, 16> counts{};
    std::array<uint8_t, 256> values{};
    int valueCount = 0;
};

class JpegEncoder {
  public:
    explicit JpegEncoder(uint16_t quality);

    // Stores the quality and rebuilds every table; qualities outside 1..100 are clamped.
    void setQuality(uint16_t quality);

    // Container switch: true writes a JFIF file, false the device picture stream.
    bool jfifMode = false;

    // Encodes width x height pixels (rows bottom-up, BGR, stride ((width + 1) * 3 / 4) * 4)
    // into output. False, with outSize untouched, when an argument is unusable, when a
    // coefficient has no Huffman code, or when the result would not fit in outCapacity
    // bytes; nothing is ever written at or past output + outCapacity.
    bool encode(const uint8_t* pixels, uint8_t* output, int width, int height, size_t& outSize,
                uint32_t layoutFlags, size_t outCapacity);

    uint16_t quality() const { return m_quality; }
    uint16_t scaleFactor() const { return m_scaleFactor; }
    // The scaled quantization tables as written to the stream, natural order.
    const std::array<uint8_t, 64>& lumQuant() const { return m_lumQuant; }
    const std::array<uint8_t, 64>& chromaQuant() const { return m_chromaQuant; }
    // Colour product table 0..8: R->Y, G->Y, B->Y, R->Cb, G->Cb, B->Cb, R->Cr, G->Cr, B->Cr.
    const std::array<int32_t, 256>& colourTable(int which) const { return m_colour[which]; }

    // An output size that any picture of this size and layout fits in (worst case).
    static size_t MaxEncodedSize(int width, int height, uint32_t layoutFlags);

  private:
    struct BitWriter;
    bool encodeMcu(BitWriter& bits, int mcuX, int mcuY);
    bool codeBlock(BitWriter& bits, const int32_t* samples, const uint32_t* reciprocals,
                   const uint16_t* divisors, const HuffmanEncodeTable& dc,
                   const HuffmanEncodeTable& ac, int32_t& dcPred);
    void gatherMcu(int mcuX, int mcuY);

    uint16_t m_quality = 0;
    uint16_t m_scaleFactor = 0;
    // RGB to YCbCr products, 16 fraction bits (R->Y, G->Y, B->Y, R->Cb, ... B->Cr).
    std::array<std::array<int32_t, 256>, 9> m_colour{};
    std::array<uint16_t, 64> m_lumDivisors{};
    std::array<uint16_t, 64> m_chromaDivisors{};
    std::array<uint8_t, 64> m_lumQuant{};
    std::array<uint8_t, 64> m_chromaQuant{};
    // 2^31 / divisor rounded up, so the quantizer multiplies instead of dividing.
    std::array<uint32_t, 64> m_lumReciprocal{};
    std::array<uint32_t, 64> m_chromaReciprocal{};
    HuffmanEncodeTable m_dcLum, m_acLum, m_dcChroma, m_acChroma;

    // State of the current encode.
    const uint8_t* m_pixels = nullptr;
    int m_stride = 0;
    uint16_t m_width = 0, m_height = 0;
    uint32_t m_layoutFlags = 0;
    int m_samplingMode = 0;
    int m_yBlocksPerMcu = 1;
    int m_mcuWidth = 8, m_mcuHeight = 8;
    int m_mcusPerRow = 0, m_mcuRows = 0;
    int32_t m_dcPredY = 0, m_dcPredCb = 0, m_dcPredCr = 0;
    // Level-shifted samples of the MCU being coded: Y blocks 0..3, then Cb and Cr, each
    // stored transposed (sample (row, col) at col * 8 + row) for the DCT's row pass.
    alignas(32) int32_t m_blocks[6][64];
};

}  // namespace framewise
