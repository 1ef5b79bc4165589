// Looking at grabbed widgets pixel by pixel.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace framewise::test {

inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels `ink` holds for, and the smallest rectangle holding them all.
struct Ink {
    QRect bounds;
    int count = 0;
};
inline Ink Find(const QImage& image, const std::function<bool(int x, int y, QRgb)>& ink) {
    Ink found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!ink(x, y, image.pixel(x, y))) continue;
            found.bounds |= QRect(x, y, 1, 1);
            ++found.count;
        }
    }
    return found;
}

}  // namespace framewise::test
