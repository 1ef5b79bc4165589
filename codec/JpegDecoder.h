// JpegDecoder: reads a device picture stream (all four sampling modes, with or without
// tables and MCU index) into BGR pixels or a 24-bit album bitmap file. Untrusted input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace framewise {

// A decoded picture: rows top-down, 3 bytes per pixel (blue, green, red), stride width * 3.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    int samplingMode = 0;  // 0 H1V1, 1 H2V1, 2 H1V2, 3 H2V2
    std::vector<uint8_t> bgr;
};

// Width and height from the first 4 bytes of a stream (big-endian); false when shorter.
bool ReadStreamSize(const uint8_t* data, size_t size, int& width, int& height);
bool ReadStreamSize(const std::filesystem::path& stream, int& width, int& height);

// "H1V1", "H2V1", "H1V2" or "H2V2" for sampling modes 0..3.
const char* SamplingName(int samplingMode);

class JpegDecoder {
  public:
    // Where decodeToBitmap writes its sampling name lines, for every decoder of the process:
    // standard output unless changed; null writes none. A desktop window has no console to
    // write them to: it turns them off rather than fill the terminal it was started from.
    static void SetSamplingNameOutput(std::FILE* out);
    // Decodes the stream file into a 24-bit bitmap file (resolution 300) and writes the
    // sampling name line on standard output. False, with nothing written, when the file
    // cannot be read, its header declares another size than the LCD's, or the stream is
    // damaged (bad tables, data ending before the last MCU). True once decoded, even when
    // the bitmap file itself could not be written.
    bool decodeToBitmap(const std::filesystem::path& stream, const std::filesystem::path& bitmap,
                        int lcdWidth, int lcdHeight);

    // Decodes a stream held in memory; silent. Same failures as decodeToBitmap; after a failure
    // the content of out is unspecified.
    bool decode(const uint8_t* data, size_t size, int expectedWidth, int expectedHeight,
                DecodedPicture& out);

  private:
    struct HuffmanTable {
        bool defined = false;
        int count = 0;
        // Codes of up to 9 bits resolve in one look-up: (length << 8) | symbol, 0 = longer.
        std::array<uint16_t, 512> fast{};
        std::array<int32_t, 18> maxCode{};    // last code of each length, -1 when none
        std::array<int32_t, 17> valOffset{};  // symbol index of a code = code + valOffset
        std::array<uint8_t, 256> symbols{};
        // AC tables: a code and its value bits that fit in 9 bits resolve together:
        // (value << 16) | (run << 8) | bits used; 0 = take the symbol path.
        std::array<int32_t, 512> fastAc{};
    };
    struct BitReader;

    bool buildHuffman(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols, int count);
    bool readTables(const uint8_t* data, size_t size, size_t& pos);
    bool decodeBlock(BitReader& bits, const HuffmanTable& dc, const HuffmanTable& ac,
                     int16_t& predictor, const uint16_t* dequant, uint8_t* samples);

    uint16_t m_width = 0;
    // Coefficients of the block being decoded; all zero between blocks.
    alignas(32) int16_t m_coef[64] = {};
    std::array<std::array<uint16_t, 64>, 2> m_dequant{};
    std::array<bool, 2> m_quantDefined{};
    std::array<HuffmanTable, 4> m_huffman;  // 0 DC lum, 1 DC chroma, 2 AC lum, 3 AC chroma
    // Samples of the MCU row being decoded: luminance, then Cb, Cr and two full-width lines.
    std::vector<uint8_t> m_lumaPlane;
    std::vector<uint8_t> m_chromaPlanes;
};

}  // namespace framewise
