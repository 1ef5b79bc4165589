// The fixed tables of baseline JPEG that both codecs share: ISO/IEC 10918-1 Annex K
// quantization and Huffman tables, the zig-zag order and the AAN DCT scale tables.
#pragma once

#include <array>
#include <cstdint>

namespace framewise {

// Natural (row-major) index of each zig-zag position, Figure A.6.
extern const std::array<uint8_t, 64> kZigZag;

// Table K.1 (luminance) and K.2 (chrominance), natural order.
extern const std::array<uint8_t, 64> kLuminanceQuant;
extern const std::array<uint8_t, 64> kChrominanceQuant;

// A Huffman table as it is stored: codes per length 1..16 and the symbols in code order.
struct HuffmanTableData {
    std::array<uint8_t, 16> counts;
    const uint8_t* symbols;
    int symbolCount;
};

// Tables K.3 (DC luminance, 12 symbols), K.4 (DC chrominance, 12), K.5 (AC luminance, 162)
// and K.6 (AC chrominance, 162).
extern const HuffmanTableData kDcLuminance;
extern const HuffmanTableData kDcChrominance;
extern const HuffmanTableData kAcLuminance;
extern const HuffmanTableData kAcChrominance;

// Forward AAN scale factors, 16384 * f(u) * f(v) rounded, f(0) = 1, f(k) = sqrt(2) cos(k pi/16);
// the ifast encoder folds them into its divisors. Natural order, first 16384, last 1247.
extern const std::array<uint16_t, 64> kAanForwardScale;

// Inverse AAN scale factors with 6 fraction bits, 64 * f(u) * f(v) truncated; the decoder folds
// them into its dequantization entries. Starts 64, 88, 83, 75, 64, 50, 34, 17, ends with 4.
extern const std::array<uint8_t, 64> kAanInverseScale;

// Scale factor (percent) for a quality, clamped to 1..100: 5000 / q below 50, else 200 - 2q.
uint16_t ScaleFactorForQuality(uint16_t quality);

// One base table entry scaled by a scale factor: (t * scale + 50) / 100 clamped to 1..255.
uint8_t ScaleQuantEntry(uint8_t base, uint16_t scaleFactor);

}  // namespace framewise
