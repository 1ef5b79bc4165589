// One folder picture made into its framed square thumbnail, off the GUI thread: the camera's
// embedded thumbnail when it is big enough and of the picture's shape, else a reduced decode.
#pragma once

#include <QColor>
#include <QImage>
#include <cstddef>
#include <filesystem>

namespace framewise {

// What a thumbnail may cost. A file past these is skipped, like one that cannot be read.
struct ThumbnailLimits {
    // Pictures whose header claims more pixels are never decoded (decompression bombs). A
    // JPEG is decoded at an eighth of its sides at most, 32 MB for the largest one allowed.
    long long maxPixels = 16384LL * 16384;
    // Formats read whole (BMP, GIF, an embedded thumbnail): at most this many pixels, 96 MB.
    long long maxWholePixels = 24LL * 1024 * 1024;
    // Bytes read from the start of a JPEG file to find its EXIF thumbnail.
    std::size_t headBytes = 256 * 1024;
    // The largest device picture file decoded, and the largest side it may declare.
    std::size_t maxDpfBytes = 16 * 1024 * 1024;
    int maxDpfSide = 2048;
};

enum class ThumbnailSource { None, Embedded, Decoded, DevicePicture };

struct RenderedThumbnail {
    QImage framed;  // (side + 2) x (side + 2); null when the picture could not be used
    ThumbnailSource source = ThumbnailSource::None;
};

// The picture stretched to side x side whatever its shape, upright as the preview shows it,
// ringed by a one-pixel frame of buttonFace. Safe to call on any thread.
RenderedThumbnail RenderThumbnail(const std::filesystem::path& file, int side, QColor buttonFace,
                                  const ThumbnailLimits& limits = {});

// The EXIF orientation (1..8) applied to a picture stored as the sensor saw it.
QImage ApplyExifOrientation(const QImage& stored, int orientation);

// Whether an embedded thumbnail can stand for a picture: at least side on both sides and of
// the picture's shape to within one thumbnail pixel (no letterbox bars).
bool EmbeddedThumbnailFits(int thumbWidth, int thumbHeight, int width, int height, int side);

// The largest DCT scale denominator (1, 2, 4 or 8) that keeps both sides at least side.
int DctScaleDenominator(int width, int height, int side);

}  // namespace framewise
