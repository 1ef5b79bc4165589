// The compiled-in icons: every name exists, draws at exactly the size asked for from 16 to
// 256 pixels, and matches the SVG files that are installed.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QtTest>

#include "controls/Icons.h"

using namespace framewise;

namespace {

double MeanSaturation(const QImage& image) {  // of the mostly opaque pixels
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() < 128) continue;
            sum += c.hsvSaturation();
            ++count;
        }
    }
    return sum / count;
}

}  // namespace

class IconsTest : public QObject {
    Q_OBJECT

  private slots:
    void everyIconAtEverySize() {
        using namespace icons;
        QStringList files;
        for (const char* name : {kApplication, kZoomIn, kZoomOut, kCrop, kRotateLeft, kRotateRight,
                                 kAdd, kUp, kDown, kConnected, kDisconnected}) {
            const QIcon icon = FramewiseIcon(name);
            QVERIFY2(!icon.isNull(), name);
            files << QString::fromLatin1(name) + ".svg";
            for (int side : {16, 24, 38, 48, 256}) {
                const QImage image = icon.pixmap(side, side).toImage();
                QCOMPARE(image.size(), QSize(side, side));
                QCOMPARE(qAlpha(image.pixel(0, 0)), 0);  // drawn on nothing, not on a square
                QVERIFY(qAlpha(image.pixel(side / 2, side / 2)) > 0);
            }
            // Two device pixels per pixel: twice the pixels, by pixmap or painted directly.
            const QPixmap sharp = icon.pixmap(QSize(32, 32), 2.0);
            QCOMPARE(sharp.size(), QSize(64, 64));
            QImage surface(64, 64, QImage::Format_ARGB32_Premultiplied);
            surface.setDevicePixelRatio(2.0);
            surface.fill(Qt::transparent);
            QPainter painter(&surface);
            icon.paint(&painter, QRect(0, 0, 32, 32));
            painter.end();
            QCOMPARE(surface, sharp.toImage().convertToFormat(surface.format()));
        }
        QVERIFY(FramewiseIcon("framewise-no-such-icon").isNull());
        const QIcon add = FramewiseIcon(kAdd);
        QVERIFY(MeanSaturation(add.pixmap(32, 32, QIcon::Disabled).toImage()) <
                MeanSaturation(add.pixmap(32, 32).toImage()) / 2);

        // What is compiled in is what is installed: one SVG file per name, and no other.
        files.sort();
        QCOMPARE(
            QDir(FRAMEWISE_SOURCE_DIR "/data/icons").entryList({"*.svg"}, QDir::Files, QDir::Name),
            files);
    }
};

QTEST_MAIN(IconsTest)
#include "IconsTest.moc"
