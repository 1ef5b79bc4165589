// Reading picture files (EXIF orientation, formats by content) and the halftone stretch.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <fstream>

#include "TempDir.h"
#include "picture/Halftone.h"
#include "picture/PictureCompleteness.h"
#include "picture/PictureLoader.h"

namespace framewise {
namespace {

// A JPEG of picture with an EXIF APP1 segment carrying only the orientation tag, placed
// right after the JFIF APP0 segment.
QByteArray JpegWithOrientation(const QImage& picture, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    EXPECT_TRUE(writer.write(picture));
    EXPECT_EQ(jpeg.mid(0, 4), QByteArray("\xFF\xD8\xFF\xE0", 4));
    const int app0End = 4 + ((uchar(jpeg[4]) << 8) | uchar(jpeg[5]));
    const char tiff[] = {'M',  'M',
                         0,    0x2A,
                         0,    0,
                         0,    8,  // big-endian, first IFD at 8
                         0,    1,  // one entry
                         0x01, 0x12,
                         0,    3,
                         0,    0,
                         0,    1,  // Orientation, SHORT, count 1
                         0,    char(orientation),
                         0,    0,  // value
                         0,    0,
                         0,    0};  // no next IFD
    QByteArray app1("\xFF\xE1", 2);
    const int length = 2 + 6 + int(sizeof(tiff));
    app1.append(char(length >> 8)).append(char(length & 0xff));
    app1.append("Exif\0\0", 6).append(tiff, sizeof(tiff));
    jpeg.insert(app0End, app1);
    return jpeg;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

TEST(ReadPictureFile, ExifOrientationSixComesOutUpright) {
    test::TempDir dir;
    // Upright the picture is 40 x 60, red above blue; a camera held sideways stores it turned
    // a quarter counter-clockwise (red on the left) and tags it 6.
    QImage stored(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            stored.setPixel(x, y, x < 30 ? qRgb(220, 0, 0) : qRgb(0, 0, 220));
    const std::string path = (dir / "phone.jpg").string();
    const QByteArray jpeg = JpegWithOrientation(stored, 6);
    std::ofstream(path, std::ios::binary).write(jpeg.constData(), jpeg.size());

    QImage picture;
    ASSERT_TRUE(ReadPictureFile(path, picture));
    ASSERT_EQ(picture.size(), QSize(40, 60));
    EXPECT_TRUE(Near(picture.pixelColor(20, 5), QColor(220, 0, 0)));
    EXPECT_TRUE(Near(picture.pixelColor(20, 55), QColor(0, 0, 220)));
}

TEST(ReadPictureFile, LargeTurnedPhotoIsDecodedReducedAndUpright) {
    test::TempDir dir;
    QImage stored(2400, 1600, QImage::Format_RGB32);
    stored.fill(QColor(0, 0, 220));
    for (int y = 0; y < 1600; ++y)
        for (int x = 0; x < 1200; ++x) stored.setPixel(x, y, qRgb(220, 0, 0));
    const std::string path = (dir / "big.jpg").string();
    const QByteArray jpeg = JpegWithOrientation(stored, 6);
    std::ofstream(path, std::ios::binary).write(jpeg.constData(), jpeg.size());

    ReducedPicture picture;
    ASSERT_TRUE(ReadPictureReduced(path, 512, picture));
    EXPECT_EQ(picture.fullSize, QSize(1600, 2400));
    EXPECT_EQ(picture.image.size(), QSize(682, 1024));
    EXPECT_TRUE(Near(picture.image.pixelColor(300, 100), QColor(220, 0, 0)));
    EXPECT_TRUE(Near(picture.image.pixelColor(300, 900), QColor(0, 0, 220)));
    // A picture within four times the limit is read whole.
    ASSERT_TRUE(ReadPictureReduced(path, 600, picture));
    EXPECT_EQ(picture.image.size(), QSize(1600, 2400));
}

TEST(ReadPictureFile, FormatsByContent) {
    test::TempDir dir;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    const std::string png = (dir / "named.jpg").string();  // a PNG under a JPEG name
    ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG"));
    const std::string bmp = (dir / "a.bmp").string();
    ASSERT_TRUE(image.save(QString::fromStdString(bmp), "BMP"));
    QImage picture;
    ASSERT_TRUE(ReadPictureFile(png, picture));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(1, 2, 3));
    EXPECT_TRUE(ReadPictureFile(bmp, picture));
    EXPECT_FALSE(ReadPictureFile(dir.path(), picture));  // a folder
    EXPECT_FALSE(ReadPictureFile(dir / "missing.gif", picture));

    // See-through pixels come out white, half see-through ones halfway, whatever colour the
    // transparent pixels carry (black, typically).
    QImage clear(4, 1, QImage::Format_ARGB32);
    clear.setPixel(0, 0, qRgba(0, 0, 0, 0));
    clear.setPixel(1, 0, qRgba(0, 0, 0, 128));
    clear.setPixel(2, 0, qRgba(200, 10, 20, 255));
    clear.setPixel(3, 0, qRgba(0, 0, 0, 255));
    const std::string alpha = (dir / "alpha.png").string();
    ASSERT_TRUE(clear.save(QString::fromStdString(alpha), "PNG"));
    ASSERT_TRUE(ReadPictureFile(alpha, picture));
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(picture.pixelColor(1, 0), QColor(127, 127, 127));
    EXPECT_EQ(picture.pixelColor(2, 0), QColor(200, 10, 20));
    EXPECT_EQ(picture.pixelColor(3, 0), QColor(0, 0, 0));
}

// A copy cut short must not become a photo whose missing part is grey: JPEG, BMP and GIF
// readers fill it in silently. Whole files, also with data after the JPEG's end, still load.
TEST(ReadPictureFile, FilesCutShortAreRefused) {
    test::TempDir dir;
    QImage photo(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x, y, (x * y) & 255));
    auto write = [&](const std::string& name, const QByteArray& bytes) {
        const std::filesystem::path path = dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
        return path;
    };
    auto encoded = [&](const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(photo.save(&buffer, format, 90));
        return bytes;
    };
    const QByteArray jpeg = encoded("JPEG");
    const QByteArray bmp = encoded("BMP");
    // 2 x 1 white pixels: a colour table of two entries, a control extension, one image.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396102000100f00000ffffff00000021f90400000000002c0000000002000100000202040a003b");
    QImage picture;
    EXPECT_TRUE(ReadPictureFile(write("whole.jpg", jpeg), picture));
    EXPECT_TRUE(ReadPictureFile(write("tail.jpg", jpeg + QByteArray(500, 'x')), picture));
    EXPECT_TRUE(ReadPictureFile(write("whole.bmp", bmp), picture));
    EXPECT_TRUE(ReadPictureFile(write("whole.gif", gif), picture));
    ReducedPicture reduced;
    for (int cut : {jpeg.size() / 2, jpeg.size() - 2}) {
        const auto path = write("short.jpg", jpeg.left(cut));
        EXPECT_FALSE(ReadPictureFile(path, picture)) << cut;
        EXPECT_FALSE(ReadPictureReduced(path, 512, reduced)) << cut;
    }
    EXPECT_FALSE(ReadPictureFile(write("short.bmp", bmp.left(bmp.size() - 100)), picture));
    EXPECT_FALSE(ReadPictureFile(write("short.gif", gif.left(gif.size() - 3)), picture));
}

// The check walks files far longer than what it holds at once, and sizes that no file could
// hold (their product past 64 bits) count as short whatever the arithmetic would wrap to.
TEST(PictureFileCutShort, LongFilesAreWalkedWholeAndImpossibleSizesAreShort) {
    test::TempDir dir;
    QImage noise(900, 700, QImage::Format_RGB32);
    uint32_t state = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            noise.setPixel(x, y, state >> 8);
        }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(noise.save(&buffer, "JPEG", 95));
    ASSERT_GT(jpeg.size(), 4 * 65536);
    auto write = [&](const QByteArray& bytes) {
        const std::filesystem::path path = dir / "file";
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
        return path;
    };
    EXPECT_FALSE(PictureFileCutShort(write(jpeg)));
    EXPECT_FALSE(PictureFileCutShort(write(jpeg + QByteArray(70000, '\0'))));
    for (int cut : {65536 + 3, 3 * 65536 - 1, int(jpeg.size()) - 2})
        EXPECT_TRUE(PictureFileCutShort(write(jpeg.left(cut)))) << cut;
    // A whole JPEG whose header says 30000 x 30000 over two bytes of scan data, also with junk
    // in place of a marker before the frame header (which the reader skips, and so must we).
    const std::filesystem::path source(FRAMEWISE_SOURCE_DIR);
    EXPECT_TRUE(PictureFileCutShort(source / "tests/data/hostile/jpeg-30000x30000.jpg"));
    EXPECT_TRUE(
        PictureFileCutShort(source / "fuzz/corpus/picture_load/slow-jpeg-lying-size-after-junk"));
    QImage flat(2000, 1600, QImage::Format_RGB32);
    flat.fill(qRgb(90, 90, 90));
    QByteArray flatJpeg;
    QBuffer flatBuffer(&flatJpeg);
    flatBuffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(flat.save(&flatBuffer, "JPEG", 10));
    EXPECT_FALSE(PictureFileCutShort(write(flatJpeg))) << flatJpeg.size();

    // Width 2^30, height -2^31 (top-down), 64 bits a pixel: 2^33 bytes a row times 2^31 rows
    // is 2^64, which 64-bit arithmetic takes for 0.
    QByteArray bmp(54, '\0');
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40;
    bmp[21] = 0x40, bmp[25] = char(0x80), bmp[28] = 64;
    EXPECT_TRUE(PictureFileCutShort(write(bmp + QByteArray(64, '\0'))));
}

TEST(HalftoneStretch, CheckerboardShrinksToFlatGrey) {
    QImage board(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage small = HalftoneStretch(board, 16, 16);
    ASSERT_EQ(small.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor c = small.pixelColor(x, y);
            ASSERT_GE(c.red(), 127);
            ASSERT_LE(c.red(), 128);
            ASSERT_EQ(c.red(), c.green());
        }
    // A ratio that is not whole keeps the mean too.
    const QImage odd = HalftoneStretch(board, 13, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_NEAR(odd.pixelColor(x, y).red(), 128, 16);

    // Upscaling is smooth: a black and a white pixel become a ramp.
    QImage pair(2, 1, QImage::Format_RGB32);
    pair.setPixel(0, 0, qRgb(0, 0, 0));
    pair.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage ramp = HalftoneStretch(pair, 8, 1);
    for (int x = 1; x < 8; ++x) EXPECT_GE(qRed(ramp.pixel(x, 0)), qRed(ramp.pixel(x - 1, 0)));
    EXPECT_GT(qRed(ramp.pixel(4, 0)), 0);
    EXPECT_LT(qRed(ramp.pixel(3, 0)), 255);
    // The same size is the same picture.
    EXPECT_EQ(HalftoneStretch(board, 64, 64), board);
    EXPECT_TRUE(HalftoneStretch(board, 0, 4).isNull());
}

}  // namespace
}  // namespace framewise
