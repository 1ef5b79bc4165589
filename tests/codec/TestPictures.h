// Pictures and helpers for the codec tests and benchmarks: a deterministic photo-like
// picture in the encoder's bottom-up BGR layout, PSNR, and libjpeg as a reference codec.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace framewise::testing_pictures {

inline int Stride(int width) {
    return ((width + 1) * 3 / 4) * 4;
}

// Smooth shading, texture, hard edges and a little noise, like a small photograph.
inline std::vector<uint8_t> PhotoLike(int width, int height, uint32_t seed = 1) {
    std::vector<uint8_t> px(static_cast<size_t>(Stride(width)) * height, 0);
    uint32_t s = seed * 2654435761u + 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = px.data() + static_cast<size_t>(height - 1 - y) * Stride(width);
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            int noise = static_cast<int>((s >> 24) % 9) - 4;
            double fx = x / static_cast<double>(width), fy = y / static_cast<double>(height);
            double r = 150 + 70 * std::sin(6 * fx + 2 * fy) + 20 * std::cos(x * 0.35) * fy;
            double g = 110 + 60 * std::cos(5 * fy - 3 * fx) + 15 * std::sin(y * 0.4 + x * 0.1);
            double b = 90 + 80 * fx * fy + 25 * std::sin((x + y) * 0.2);
            double dx = x - width * 0.6, dy = y - height * 0.4;
            if (dx * dx + dy * dy < (width * width) / 25.0) r = 230, g = 200, b = 40;  // a disc
            if (x > width / 8 && x < width / 3 && y > height / 2 && y < height * 5 / 6)
                r = 30, g = 60, b = 160;  // a block
            auto c = [&](double v) {
                int i = static_cast<int>(v) + noise;
                return static_cast<uint8_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
            };
            row[3 * x] = c(b);
            row[3 * x + 1] = c(g);
            row[3 * x + 2] = c(r);
        }
    }
    return px;
}

// Bottom-up padded rows to top-down packed rows (the decoder's layout).
inline std::vector<uint8_t> TopDown(const std::vector<uint8_t>& px, int width, int height) {
    std::vector<uint8_t> out(static_cast<size_t>(width) * 3 * height);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i)
            out[static_cast<size_t>(y) * width * 3 + i] =
                px[static_cast<size_t>(height - 1 - y) * Stride(width) + i];
    return out;
}

inline double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double se = 0;
    for (size_t i = 0; i < a.size(); ++i) se += (a[i] - b[i]) * double(a[i] - b[i]);
    if (se == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 * a.size() / se);
}

}  // namespace framewise::testing_pictures
