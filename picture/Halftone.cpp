#include "picture/Halftone.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace framewise {
namespace {

// The source pixels one target pixel is made of, with their weights (summing to 1).
struct Tap {
    int index;
    float weight;
};
using Taps = std::vector<std::vector<Tap>>;

Taps MakeTaps(int sourceLength, int targetLength) {
    Taps taps(targetLength);
    if (targetLength < sourceLength) {
        // Each target pixel covers sourceLength / targetLength source pixels; partly covered
        // ones at its ends count by the part covered.
        const double scale = double(sourceLength) / targetLength;
        for (int i = 0; i < targetLength; ++i) {
            const double from = i * scale;
            const double to = std::min<double>((i + 1) * scale, sourceLength);
            for (int s = int(from); s < sourceLength && s < to; ++s) {
                const double covered = std::min<double>(s + 1, to) - std::max<double>(s, from);
                if (covered > 0) taps[i].push_back({s, float(covered / scale)});
            }
        }
    } else {
        // Pixel centres line up: target centre i + 0.5 lies at source (i + 0.5) / scale.
        const double scale = double(targetLength) / sourceLength;
        for (int i = 0; i < targetLength; ++i) {
            double at = (i + 0.5) / scale - 0.5;
            at = std::clamp(at, 0.0, double(sourceLength - 1));
            const int low = int(at);
            const float frac = float(at - low);
            if (frac == 0.0f || low + 1 >= sourceLength) {
                taps[i].push_back({low, 1.0f});
            } else {
                taps[i].push_back({low, 1.0f - frac});
                taps[i].push_back({low + 1, frac});
            }
        }
    }
    return taps;
}

}  // namespace

QImage HalftoneStretch(const QImage& source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int sw = src.width();
    const int sh = src.height();
    const Taps across = MakeTaps(sw, width);
    const Taps down = MakeTaps(sh, height);

    // Target rows one at a time, from source rows stretched across into floats (3 channels)
    // as they are first needed. A target row's source rows never lie before the previous
    // target row's last one, so the two stretched last are all that is kept: memory follows
    // the target's width, never the source's size (a picture 16 pixels wide and a million
    // tall, framed as a thumbnail, once asked for half a gigabyte of floats here).
    std::vector<float> stretchedRows[2] = {std::vector<float>(std::size_t(width) * 3),
                                           std::vector<float>(std::size_t(width) * 3)};
    int stretchedIndex[2] = {-1, -1};
    int replace = 0;
    auto stretched = [&](int y) -> const float* {
        for (int k = 0; k < 2; ++k)
            if (stretchedIndex[k] == y) return stretchedRows[k].data();
        const int k = replace;
        replace ^= 1;
        float* out = stretchedRows[k].data();
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            float r = 0, g = 0, b = 0;
            for (const Tap& t : across[x]) {
                const QRgb p = line[t.index];
                r += t.weight * qRed(p);
                g += t.weight * qGreen(p);
                b += t.weight * qBlue(p);
            }
            out[x * 3] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
        stretchedIndex[k] = y;
        return out;
    };
    QImage result(width, height, QImage::Format_RGB32);
    if (result.isNull()) return {};
    auto toByte = [](float v) { return std::clamp(int(std::lround(v)), 0, 255); };
    std::vector<float> acc(std::size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (const Tap& t : down[y]) {
            const float* in = stretched(t.index);
            for (int i = 0; i < width * 3; ++i) acc[i] += t.weight * in[i];
        }
        QRgb* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(toByte(acc[x * 3]), toByte(acc[x * 3 + 1]), toByte(acc[x * 3 + 2]));
    }
    return result;
}

}  // namespace framewise
