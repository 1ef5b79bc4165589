// The stretch every preview and cut picture goes through: an area-averaging downscale and a
// bilinear upscale per axis, so fine detail turns to its mean colour instead of aliasing.
#pragma once

#include <QImage>

namespace framewise {

// The whole of source stretched to width x height (each at least 1), as Format_RGB32.
// A null image when source is null or a size is not positive.
QImage HalftoneStretch(const QImage& source, int width, int height);

}  // namespace framewise
