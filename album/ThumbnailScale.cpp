#include "album/ThumbnailScale.h"

#include <cstddef>

namespace framewise {

namespace {

struct Tap {
    int source;
    uint32_t weight;
};

// For each of `dst` output positions, the source positions it covers and by how much. Both
// axes are measured in units of 1/(src × dst): source pixel s spans [s·dst, (s+1)·dst) and
// output pixel d spans [d·src, (d+1)·src), so every weight is an exact integer and the
// weights of one output pixel add up to src.
std::vector<std::vector<Tap>> Taps(int src, int dst) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(dst));
    const uint64_t s = static_cast<uint64_t>(src), d = static_cast<uint64_t>(dst);
    for (uint64_t o = 0; o < d; ++o) {
        const uint64_t lo = o * s, hi = (o + 1) * s;
        for (uint64_t i = lo / d; i < s && i * d < hi; ++i) {
            const uint64_t a = i * d > lo ? i * d : lo;
            const uint64_t b = (i + 1) * d < hi ? (i + 1) * d : hi;
            if (b > a) taps[o].push_back({static_cast<int>(i), static_cast<uint32_t>(b - a)});
        }
    }
    return taps;
}

}  // namespace

std::vector<uint8_t> AreaScaleToRgb(const uint8_t* bottomUpBgr, int srcWidth, int srcHeight,
                                    int stride, int width, int height) {
    if (!bottomUpBgr || srcWidth <= 0 || srcHeight <= 0 || width <= 0 || height <= 0 ||
        static_cast<int64_t>(stride) < 3 * static_cast<int64_t>(srcWidth)) {
        return {};
    }
    const auto columns = Taps(srcWidth, width);
    const auto lines = Taps(srcHeight, height);

    // Horizontal pass per source row (top-down order), sums scaled by srcWidth.
    std::vector<uint32_t> across(static_cast<size_t>(srcHeight) * width * 3);
    for (int y = 0; y < srcHeight; ++y) {
        const uint8_t* row = bottomUpBgr + static_cast<size_t>(srcHeight - 1 - y) * stride;
        uint32_t* out = &across[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            uint32_t r = 0, g = 0, b = 0;
            for (const Tap& t : columns[static_cast<size_t>(x)]) {
                const uint8_t* p = row + static_cast<size_t>(t.source) * 3;
                b += p[0] * t.weight;
                g += p[1] * t.weight;
                r += p[2] * t.weight;
            }
            out[x * 3 + 0] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
    }

    // Vertical pass; the total weight of one pixel is srcWidth × srcHeight.
    const uint64_t total = static_cast<uint64_t>(srcWidth) * static_cast<uint64_t>(srcHeight);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        uint8_t* out = &rgb[static_cast<size_t>(y) * width * 3];
        for (int c = 0; c < width * 3; ++c) {
            uint64_t sum = 0;
            for (const Tap& t : lines[static_cast<size_t>(y)]) {
                sum += static_cast<uint64_t>(across[static_cast<size_t>(t.source) * width * 3 +
                                                    static_cast<size_t>(c)]) *
                       t.weight;
            }
            out[c] = static_cast<uint8_t>((sum + total / 2) / total);
        }
    }
    return rgb;
}

}  // namespace framewise
