#include "picture/Rotate.h"

namespace framewise {

QImage RotatePixels(const QImage& picture, RotateDirection direction) {
    if (picture.isNull()) return {};
    const QImage src = picture.convertToFormat(QImage::Format_RGB32);
    const int fw = src.width();
    const int fh = src.height();
    QImage turned(fh, fw, QImage::Format_RGB32);
    for (int x = 0; x < fw; ++x) {
        for (int y = 0; y < fh; ++y) {
            const QRgb p = reinterpret_cast<const QRgb*>(src.constScanLine(y))[x];
            if (direction == RotateDirection::Clockwise)
                reinterpret_cast<QRgb*>(turned.scanLine(x))[fh - 1 - y] = p;
            else
                reinterpret_cast<QRgb*>(turned.scanLine(fw - 1 - x))[y] = p;
        }
    }
    return turned;
}

}  // namespace framewise
