// framewise-cli sim demo as a new user meets it: a simulated frame that holds the painted
// pictures in their order, each as painted; an existing image left alone; a frame the
// pictures do not all fit on not left behind.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "cli/DemoPictures.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "picture/ImagePsnr.h"

using namespace framewise;
namespace fs = std::filesystem;

namespace {

// The CLI run with a global --simulate that sim demo does not use.
test::CliRun Demo(const test::TempDir& dir, const std::string& args) {
    return test::RunFrameCli(dir / "unused.img", dir / "work", "sim demo " + args);
}

class DemoFrame : public ::testing::Test {
  protected:
    // The pictures are painted here as well, which text needs an application for.
    int m_argc = 1;
    char m_name[16] = "package_tests";
    char* m_argv[2] = {m_name, nullptr};
    QGuiApplication m_app{m_argc, m_argv};
    test::TempDir m_dir;
};

}  // namespace

TEST_F(DemoFrame, HoldsThePaintedPicturesInOrder) {
    // A screen that is not square: every picture is painted in its shape.
    const fs::path image = m_dir / "demo-frame.img";
    const auto made = Demo(m_dir, "'" + image.string() + "' --lcd 160x120");
    ASSERT_EQ(made.code, 0) << made.out;
    EXPECT_NE(made.out.find("6 pictures"), std::string::npos) << made.out;

    const auto pulled = test::RunFrameCli(image, m_dir / "work",
                                          "pull '" + (m_dir / "out").string() + "' --format bmp");
    ASSERT_EQ(pulled.code, 0) << pulled.out;
    ASSERT_EQ(cli::kDemoPictureCount, 6);
    std::vector<QImage> expected, got;
    for (int i = 0; i < cli::kDemoPictureCount; ++i) {
        // An independent downscale of the painting stands for what the frame should show.
        expected.push_back(cli::PaintDemoPicture(i, QSize(640, 480))
                               .scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32));
        char name[16];
        std::snprintf(name, sizeof name, "%04d.bmp", i + 1);
        got.emplace_back(QString::fromStdString((m_dir / "out" / name).string()));
        ASSERT_EQ(got.back().size(), QSize(160, 120)) << name;
    }
    EXPECT_FALSE(fs::exists(m_dir / "out" / "0007.bmp"));
    for (int i = 0; i < cli::kDemoPictureCount; ++i) {
        for (int j = 0; j < cli::kDemoPictureCount; ++j) {
            const double psnr = test::Psnr(got[i], expected[j]);
            if (i == j)
                EXPECT_GT(psnr, 32.0) << "picture " << i + 1 << " is not as painted";
            else
                EXPECT_LT(psnr, 16.0) << "pictures " << i + 1 << " and " << j + 1 << " alike";
        }
    }
}

TEST_F(DemoFrame, LeavesAnExistingImageAloneAndNoHalfFrameBehind) {
    const fs::path image = m_dir / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    const auto before = test::FileBytes(image);
    const auto again = Demo(m_dir, "'" + image.string() + "'");
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(test::FileBytes(image), before);

    // Room for three pictures only: the run fails and takes its image away, so that the
    // next run starts afresh.
    const fs::path small = m_dir / "small.img";
    const auto full = test::RunFrameCli(m_dir / "unused.img", m_dir / "work",
                                        "sim demo '" + small.string() + "' --capacity 3",
                                        m_dir / "err.txt");
    EXPECT_EQ(full.code, 1);
    EXPECT_NE(full.err.find("3 of 6"), std::string::npos) << full.err;
    EXPECT_FALSE(fs::exists(small));
    EXPECT_FALSE(fs::exists(FirmwareSidecarPath(small)));

    // A folder that is not there, and a screen of no size.
    EXPECT_EQ(Demo(m_dir, "'" + (m_dir / "no/such/frame.img").string() + "'").code, 1);
    EXPECT_EQ(Demo(m_dir, "'" + (m_dir / "x.img").string() + "' --lcd 0x10").code, 2);
    EXPECT_FALSE(fs::exists(m_dir / "x.img"));
}
