// framewise-cli add run as the user runs it, against a simulated frame: each file added or
// refused, the total, the usage errors, and what pull brings back from the frame.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <random>
#include <utility>

#include "CliRun.h"
#include "ImagePsnr.h"
#include "TempDir.h"
#include "device/FrameImage.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

QImage PhotoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            image.setPixel(
                x, y,
                qRgb(int(120 + 100 * std::sin(6.0 * u) * std::cos(4.0 * v)),
                     int(90 + 80 * v + 20 * std::sin(40.0 * u)), int(60 + 150 * u * (1 - v))));
        }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 200, 40));
    painter.drawEllipse(QPointF(w * 0.5, h * 0.5), w * 0.03, h * 0.04);
    return image;
}

using test::Psnr;

class AddCommandTest : public ::testing::Test {
  protected:
    AddCommandTest() {
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    }
    CliRun Cli(const std::string& args) {
        return test::RunFrameCli(image, dir / "work", args, dir / "stderr.txt");
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
};

TEST_F(AddCommandTest, AddsEachFileAndTellsWhatBecameOfIt) {
    EXPECT_EQ(Cli("add").code, 2);
    EXPECT_EQ(Cli("add x.jpg --fit zoom").code, 2);
    EXPECT_EQ(Cli("add x.jpg --quality 5").code, 2);

    const fs::path a = dir / "a.png";
    ASSERT_TRUE(PhotoLike(300, 200).save(QString::fromStdString(a.string())));
    CliRun run = Cli("add '" + a.string() + "' '" + (dir / "missing.jpg").string() +
                     "' --fit stretch --quality 70");
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_EQ(run.out.find("added " + a.string() + " (quality 70, "), 0u) << run.out;
    EXPECT_NE(run.out.find("refused " + (dir / "missing.jpg").string() + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("Total pictures: 1\n"), std::string::npos);
    EXPECT_EQ(run.out.find("H1V1"), std::string::npos);  // no decoder lines in the result
    EXPECT_NE(run.err.find("The picture is destroyed!"), std::string::npos);

    run = Cli("add '" + a.string() + "'");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Total pictures: 2\n"), std::string::npos) << run.out;
}

TEST_F(AddCommandTest, CroppedPhotoPulledBackIsTheCentreOfThePhoto) {
    const QImage photo = PhotoLike(2400, 1800);
    const fs::path file = dir / "photo.jpg";
    ASSERT_TRUE(photo.save(QString::fromStdString(file.string()), "JPG", 95));
    CliRun run = Cli("add '" + file.string() + "' --fit crop");
    ASSERT_EQ(run.code, 0) << run.err;
    run = Cli("pull '" + (dir / "out").string() + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    const QImage back = QImage(QString::fromStdString((dir / "out" / "0001.bmp").string()))
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), QSize(128, 128));
    // A 4:3 picture comes up at the LCD height, 170 x 128, shown 172 x 128 wide; the frame
    // sits in its middle.
    const QImage shown = photo.scaled(172, 128, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double psnr = Psnr(back, shown.copy(22, 0, 128, 128));
    RecordProperty("psnr_db", std::to_string(psnr));
    EXPECT_GE(psnr, 30.0);
    // A frame taken off the centre would not be this close.
    EXPECT_LT(Psnr(back, shown.copy(0, 0, 128, 128)), Psnr(back, shown.copy(22, 0, 128, 128)));
}

// A picture shown at an odd height, then one of another shape: the frame used to stay where
// the first picture put it, a pixel above the second, and its first row came out grey.
TEST_F(AddCommandTest, EachPictureKeepsItsFirstRow) {
    const fs::path tall = dir / "tall.png", wide = dir / "wide.png";
    QImage picture(200, 287, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    ASSERT_TRUE(picture.save(QString::fromStdString(tall.string())));
    picture = QImage(300, 200, QImage::Format_RGB32);
    picture.fill(QColor(30, 30, 200));
    ASSERT_TRUE(picture.save(QString::fromStdString(wide.string())));
    CliRun run = Cli("add '" + tall.string() + "' '" + wide.string() + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(Cli("pull '" + (dir / "out").string() + "'").code, 0);

    for (const auto& [name, colour] :
         {std::pair{"0001.bmp", QColor(200, 30, 30)}, std::pair{"0002.bmp", QColor(30, 30, 200)}}) {
        const QImage back(QString::fromStdString((dir / "out" / name).string()));
        ASSERT_EQ(back.size(), QSize(128, 128)) << name;
        for (int y : {0, 127})
            for (int x = 0; x < 128; ++x) {
                const QColor c = back.pixelColor(x, y);
                ASSERT_LT(std::abs(c.red() - colour.red()) + std::abs(c.blue() - colour.blue()), 40)
                    << name << " at " << x << ", " << y;
            }
    }
}

// A picture refused on its own (over its share of the flash at every quality) used to end the
// whole batch, since the room check then found no stream to measure.
TEST_F(AddCommandTest, RefusedFirstPictureDoesNotStopTheRest) {
    FrameImageOptions options;
    options.flashKb = 512;
    options.capacity = 100;
    std::string error;
    fs::remove(image);
    ASSERT_TRUE(CreateFrameImage(image, options, error)) << error;
    QImage noise(128, 128, QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) noise.setPixel(x, y, rng() | 0xFF000000u);
    const fs::path bad = dir / "noise.png", good = dir / "good.png";
    ASSERT_TRUE(noise.save(QString::fromStdString(bad.string())));
    QImage flat(300, 200, QImage::Format_RGB32);
    flat.fill(QColor(90, 140, 200));
    ASSERT_TRUE(flat.save(QString::fromStdString(good.string())));

    CliRun run = Cli("add '" + bad.string() + "' '" + good.string() + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(
        run.out.rfind("refused " + bad.string() + "\nadded " + good.string() + " (quality ", 0), 0u)
        << run.out;
    EXPECT_NE(run.out.find("Total pictures: 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("Can not add this picture!"), std::string::npos);
    EXPECT_NE(run.err.find("framewise-cli: 1 of 2 pictures not added"), std::string::npos);
}

}  // namespace
}  // namespace framewise
