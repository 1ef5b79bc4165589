// Turning the working picture by a quarter turn, pixel by pixel.
#pragma once

#include <QImage>

namespace framewise {

enum class RotateDirection { Clockwise, CounterClockwise };

// A fw x fh picture becomes fh x fw. Clockwise: source (x, y) goes to (fh - 1 - y, x);
// counter-clockwise: source (x, y) goes to (y, fw - 1 - x).
QImage RotatePixels(const QImage& picture, RotateDirection direction);

}  // namespace framewise
