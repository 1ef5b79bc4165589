// libjpeg (libjpeg-turbo) as a reference codec for tests and benchmarks: memory-to-memory
// encode and decode of BGR pictures with the fast integer DCT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace framewise::libjpeg {

struct Options {
    bool fastDct = true;  // JDCT_IFAST
    bool fancyUpsampling = false;
};

// Decodes a JFIF file into top-down BGR rows (stride width * 3); false on any error.
bool Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& bgr, int& width, int& height,
            Options options = {});

// Encodes top-down BGR rows; h2v2 selects 4:2:0 (averaged chroma, libjpeg's own way).
bool Encode(const uint8_t* bgr, int width, int height, int quality, bool h2v2,
            std::vector<uint8_t>& jpeg, Options options = {});

}  // namespace framewise::libjpeg
