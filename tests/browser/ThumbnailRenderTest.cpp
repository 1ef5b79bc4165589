// The thumbnail of one picture: which source it comes from, that it is upright as the preview
// shows the picture (Qt's own EXIF handling is the oracle), that the reduced decode looks like
// the whole one, and that hostile files are skipped at a bounded cost.
#include <QImageReader>
#include <QTest>
#include <cmath>
#include <fstream>

#include "BrowserTestSupport.h"
#include "TempDir.h"
#include "browser/ThumbnailRender.h"
#include "codec/JpegEncoder.h"
#include "picture/Halftone.h"

namespace framewise {

using test::MeanColour;
using test::Near;

namespace {

const QColor kFace(240, 240, 240);

// The peak resident memory since the last reset, in KB.
long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The four quarters' mean colours of a framed thumbnail (the frame and the seams left out).
std::array<QColor, 4> QuarterColours(const QImage& framed) {
    const int s = framed.width() - 2;
    const int h = s / 2;
    return {MeanColour(framed, QRect(1 + 2, 1 + 2, h - 4, h - 4)),
            MeanColour(framed, QRect(1 + h + 2, 1 + 2, h - 4, h - 4)),
            MeanColour(framed, QRect(1 + 2, 1 + h + 2, h - 4, h - 4)),
            MeanColour(framed, QRect(1 + h + 2, 1 + h + 2, h - 4, h - 4))};
}

double Psnr(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                sum += d * d;
        }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

class ThumbnailRenderTest : public QObject {
    Q_OBJECT
  private slots:
    // First, while the process's peak memory is still small.
    void hostileFilesAreSkippedWithBoundedMemory() {
        test::TempDir dir;
        // A real JPEG whose frame header claims 30000 x 30000 pixels.
        QByteArray jpeg = test::JpegBytes(test::Quarters(64, 64));
        const int sof = int(jpeg.indexOf("\xFF\xC0"));
        QVERIFY(sof > 0);
        jpeg[sof + 5] = char(0x75), jpeg[sof + 6] = char(0x30);
        jpeg[sof + 7] = char(0x75), jpeg[sof + 8] = char(0x30);
        test::WriteBytes(dir / "bomb.jpg", jpeg);
        // A BMP header of the same size.
        QByteArray bmp(54, '\0');
        bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40, bmp[26] = 1, bmp[28] = 24;
        bmp[18] = char(0x30), bmp[19] = char(0x75), bmp[22] = char(0x30), bmp[23] = char(0x75);
        test::WriteBytes(dir / "bomb.bmp", bmp.append(QByteArray(4096, '\x7F')));
        test::WriteBytes(dir / "empty.jpg", QByteArray());
        test::WriteBytes(dir / "text.jpg", QByteArray("not a picture at all"));
        std::filesystem::create_directory(dir / "folder.jpg");

        ResetPeakResident();
        const long before = PeakResidentKb();
        for (const char* name :
             {"bomb.jpg", "bomb.bmp", "empty.jpg", "text.jpg", "folder.jpg", "gone.jpg"}) {
            const RenderedThumbnail t = RenderThumbnail(dir / name, 48, kFace);
            QVERIFY2(t.framed.isNull(), name);
            QCOMPARE(t.source, ThumbnailSource::None);
        }
        if (before > 0)
            QVERIFY2(PeakResidentKb() - before < 48 * 1024, "a skipped file cost memory");
    }

    void embeddedThumbnailStandsInOnlyWhenItFits() {
        test::TempDir dir;
        QImage red(640, 480, QImage::Format_RGB32), blue(160, 120, QImage::Format_RGB32);
        red.fill(QColor(200, 20, 20));
        blue.fill(QColor(20, 20, 200));
        QImage wideBlue(160, 90, QImage::Format_RGB32);
        wideBlue.fill(QColor(20, 20, 200));
        test::WriteBytes(dir / "fits.jpg", test::JpegWithExif(red, 1, blue));
        test::WriteBytes(dir / "letterbox.jpg", test::JpegWithExif(red, 1, wideBlue));
        const QRect inside(5, 5, 40, 40);

        RenderedThumbnail t = RenderThumbnail(dir / "fits.jpg", 48, kFace);
        QCOMPARE(t.source, ThumbnailSource::Embedded);
        QVERIFY(Near(MeanColour(t.framed, inside), QColor(20, 20, 200)));
        // Another shape than the picture's would show bars: the picture itself is decoded.
        t = RenderThumbnail(dir / "letterbox.jpg", 48, kFace);
        QCOMPARE(t.source, ThumbnailSource::Decoded);
        QVERIFY(Near(MeanColour(t.framed, inside), QColor(200, 20, 20)));
        // Too small for the side asked for.
        t = RenderThumbnail(dir / "fits.jpg", 161, kFace);
        QCOMPARE(t.source, ThumbnailSource::Decoded);
        QCOMPARE(t.framed.size(), QSize(163, 163));
    }

    void orientationIsAppliedAsThePreviewDoes() {
        test::TempDir dir;
        const QImage main = test::Quarters(640, 480);
        const QImage small = test::Quarters(160, 120);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const auto embedded = dir / ("embedded" + std::to_string(orientation) + ".jpg");
            const auto plain = dir / ("plain" + std::to_string(orientation) + ".jpg");
            test::WriteBytes(embedded, test::JpegWithExif(main, orientation, small));
            test::WriteBytes(plain, test::JpegWithExif(main, orientation, QImage()));
            // What the preview shows: Qt's reader turns the picture upright.
            QImageReader reader(QString::fromStdString(plain.string()));
            reader.setAutoTransform(true);
            const QImage upright = reader.read();
            QImage oracle(50, 50, QImage::Format_RGB32);
            oracle.fill(kFace);
            QPainter(&oracle).drawImage(1, 1, HalftoneStretch(upright, 48, 48));
            const auto expected = QuarterColours(oracle);

            for (const auto& file : {embedded, plain}) {
                const RenderedThumbnail t = RenderThumbnail(file, 48, kFace);
                QCOMPARE(t.source,
                         file == embedded ? ThumbnailSource::Embedded : ThumbnailSource::Decoded);
                const auto got = QuarterColours(t.framed);
                for (int q = 0; q < 4; ++q)
                    QVERIFY2(
                        Near(got[size_t(q)], expected[size_t(q)]),
                        qPrintable(QString("orientation %1 quarter %2 of %3")
                                       .arg(orientation)
                                       .arg(q)
                                       .arg(QString::fromStdString(file.filename().string()))));
            }
        }
    }

    void reducedDecodeLooksLikeTheWholeDecode() {
        test::TempDir dir;
        // Detail at every scale: gradients, rings and fine stripes.
        QImage photo(2400, 1800, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x) {
                const double r = std::hypot(x - 1200.0, y - 900.0);
                photo.setPixel(x, y,
                               qRgb(x * 255 / 2400, int(127 + 120 * std::sin(r / 40)),
                                    ((x / 3 + y / 3) % 2) * 200));
            }
        test::WriteJpeg(dir / "photo.jpg", photo);
        const RenderedThumbnail t = RenderThumbnail(dir / "photo.jpg", 64, kFace);
        QCOMPARE(t.source, ThumbnailSource::Decoded);
        QCOMPARE(t.framed.size(), QSize(66, 66));
        // The frame is the button face all round.
        for (int i = 0; i < 66; ++i) {
            QCOMPARE(QColor(t.framed.pixel(i, 0)), kFace);
            QCOMPARE(QColor(t.framed.pixel(0, i)), kFace);
            QCOMPARE(QColor(t.framed.pixel(i, 65)), kFace);
            QCOMPARE(QColor(t.framed.pixel(65, i)), kFace);
        }
        QImage whole(QString::fromStdString((dir / "photo.jpg").string()));
        const QImage expected = HalftoneStretch(whole, 64, 64);
        const double psnr = Psnr(t.framed.copy(1, 1, 64, 64), expected);
        QVERIFY2(psnr > 30, qPrintable(QString("PSNR %1 dB").arg(psnr)));
    }

    void devicePictureFilesHaveThumbnails() {
        test::TempDir dir;
        // 64 x 48, rows bottom-up: the lower half blue, the upper half red.
        std::vector<uint8_t> bgr(64 * 48 * 3);
        for (int row = 0; row < 48; ++row)
            for (int x = 0; x < 64; ++x) {
                uint8_t* p = &bgr[size_t(row * 64 + x) * 3];
                const bool lower = row < 24;
                p[0] = lower ? 210 : 20, p[1] = 20, p[2] = lower ? 20 : 210;
            }
        JpegEncoder encoder(90);
        encoder.jfifMode = false;
        std::vector<uint8_t> stream(JpegEncoder::MaxEncodedSize(64, 48, 0));
        size_t size = 0;
        QVERIFY(encoder.encode(bgr.data(), stream.data(), 64, 48, size, 0, stream.size()));
        test::WriteBytes(dir / "frame.DPF",
                         QByteArray(reinterpret_cast<const char*>(stream.data()), qsizetype(size)));
        test::WriteBytes(dir / "broken.dpf", QByteArray("\x00\x40\x00\x30garbage", 11));

        const RenderedThumbnail t = RenderThumbnail(dir / "frame.DPF", 48, kFace);
        QCOMPARE(t.source, ThumbnailSource::DevicePicture);
        QVERIFY(Near(MeanColour(t.framed, QRect(4, 4, 40, 16)), QColor(210, 20, 20)));
        QVERIFY(Near(MeanColour(t.framed, QRect(4, 30, 40, 16)), QColor(20, 20, 210)));
        QVERIFY(RenderThumbnail(dir / "broken.dpf", 48, kFace).framed.isNull());
    }
};

}  // namespace framewise

QTEST_MAIN(framewise::ThumbnailRenderTest)
#include "ThumbnailRenderTest.moc"
