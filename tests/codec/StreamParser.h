// A minimal reader of the device stream's entropy-coded MCUs for the format tests, written
// apart from the decoder: it walks the Annex K codes bit by bit and records what it saw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/JpegTables.h"

namespace framewise::testing_stream {

struct ParsedBlock {
    int dcCategory = -1;
    std::vector<int> acSymbols;  // run/size bytes in stream order, EOB included
};

class StreamParser {
  public:
    StreamParser(const uint8_t* data, size_t size, size_t start)
        : m_data(data), m_size(size), m_bit(start * 8) {}

    // Parses one block with the luminance (chroma false) or chrominance tables.
    bool Block(bool chroma, ParsedBlock& out) {
        int cat = Symbol(chroma ? kDcChrominance : kDcLuminance);
        if (cat < 0) return false;
        out.dcCategory = cat;
        Bits(cat);
        for (int k = 1; k < 64;) {
            int rs = Symbol(chroma ? kAcChrominance : kAcLuminance);
            if (rs < 0) return false;
            out.acSymbols.push_back(rs);
            if (rs == 0) break;
            if (rs == 0xF0) {
                k += 16;
                continue;
            }
            Bits(rs & 15);
            k += (rs >> 4) + 1;
        }
        return m_bit <= m_size * 8;
    }
    // Skips to the next byte boundary, checking that the padding bits are all 1.
    bool Align() {
        bool ones = true;
        while (m_bit % 8) ones &= Bit() == 1;
        return ones;
    }
    size_t BytePos() const { return m_bit / 8; }

  private:
    int Bit() {
        if (m_bit >= m_size * 8) {
            ++m_bit;
            return 0;
        }
        int b = (m_data[m_bit / 8] >> (7 - m_bit % 8)) & 1;
        ++m_bit;
        return b;
    }
    int Bits(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) v = (v << 1) | Bit();
        return v;
    }
    int Symbol(const HuffmanTableData& table) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= 16; ++len) {
            code = (code << 1) | Bit();
            int n = table.counts[len - 1];
            if (code - first < n) return table.symbols[index + code - first];
            index += n;
            first = (first + n) << 1;
        }
        return -1;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_bit;
};

}  // namespace framewise::testing_stream
