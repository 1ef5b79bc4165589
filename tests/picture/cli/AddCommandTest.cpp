// framewise-cli add run as the user runs it, against a simulated frame: each file added or
// refused, the total, the usage errors, and what pull brings back from the frame.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>

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

}  // namespace
}  // namespace framewise
