// Pictures for the browser tests: JPEG files with an EXIF block holding an orientation and an
// embedded thumbnail, written as a camera writes them, and plain picture files.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace framewise::test {

inline QByteArray JpegBytes(const QImage& image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

inline void WriteBytes(const std::filesystem::path& file, const QByteArray& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
}

inline void WriteJpeg(const std::filesystem::path& file, const QImage& image) {
    WriteBytes(file, JpegBytes(image));
}

// A picture of four differently coloured quarters, so any turn or mirror shows.
inline QImage Quarters(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, QColor(220, 30, 30));
    p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 200, 30));
    p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(30, 30, 220));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(230, 230, 40));
    return image;
}

// The JPEG of main with an EXIF APP1 block (big-endian TIFF) right after the start: IFD0 with
// the orientation, IFD1 with the thumbnail's JPEGInterchangeFormat and its length.
inline QByteArray JpegWithExif(const QImage& main, int orientation, const QImage& thumbnail) {
    const QByteArray body = JpegBytes(main);
    const QByteArray thumb = thumbnail.isNull() ? QByteArray() : JpegBytes(thumbnail, 80);
    std::vector<uint8_t> tiff = {'M', 'M', 0, 42, 0, 0, 0, 8};
    auto u16 = [&](uint32_t v) {
        tiff.push_back(uint8_t(v >> 8));
        tiff.push_back(uint8_t(v));
    };
    auto u32 = [&](uint32_t v) {
        u16(v >> 16);
        u16(v & 0xFFFF);
    };
    // IFD0 at 8: one entry (12 bytes), then the next IFD's offset: 8 + 2 + 12 + 4 = 26.
    u16(1);
    u16(0x0112), u16(3), u32(1), u16(uint32_t(orientation)), u16(0);
    u32(thumb.isEmpty() ? 0 : 26);
    if (!thumb.isEmpty()) {
        // IFD1 at 26: two entries, then no next IFD; the thumbnail follows at 26 + 30 = 56.
        u16(2);
        u16(0x0201), u16(4), u32(1), u32(56);
        u16(0x0202), u16(4), u32(1), u32(uint32_t(thumb.size()));
        u32(0);
        tiff.insert(tiff.end(), thumb.begin(), thumb.end());
    }
    QByteArray app1("\xFF\xE1", 2);
    const int length = int(tiff.size()) + 8;
    app1.append(char(length >> 8)).append(char(length & 0xFF));
    app1.append("Exif\0\0", 6);
    app1.append(reinterpret_cast<const char*>(tiff.data()), qsizetype(tiff.size()));
    return body.left(2) + app1 + body.mid(2);
}

// The mean colour of a rectangle of an image.
inline QColor MeanColour(const QImage& image, const QRect& area) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p), ++n;
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

inline bool Near(const QColor& a, const QColor& b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace framewise::test
