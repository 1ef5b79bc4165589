// The preview canvas: loading, fitting, the shown size and place, the frame image, the zoom
// and rotate commands, .dpf pictures, and the cut that Add stores.
#include <gtest/gtest.h>

#include <QImage>
#include <fstream>

#include "TempDir.h"
#include "config/AppState.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"
#include "config/WorkPaths.h"
#include "picture/AddMath.h"
#include "picture/Bmp24.h"
#include "picture/Halftone.h"
#include "picture/PreviewCanvas.h"

namespace framewise {
namespace {

const QColor kFace(10, 200, 30);

// A picture whose every pixel tells where it is.
QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 90));
    return image;
}

class CanvasTest : public ::testing::Test {
  protected:
    CanvasTest() : paths(WorkPaths::Under(dir.path())), canvas(paths, language, frontend, state) {
        canvas.SetLcdSize({128, 128});
        canvas.SetButtonFace(kFace);
    }
    std::string Picture(const std::string& name, int w, int h) {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(Gradient(w, h).save(QString::fromStdString(path), "PNG"));
        return path;
    }

    test::TempDir dir;
    WorkPaths paths;
    Language language;
    RecordingFrontend frontend;
    AppState state;
    PreviewCanvas canvas;
};

TEST_F(CanvasTest, FitsTheLongerSideTo512) {
    struct Row {
        int w, h;
        Size fitted;
    };
    for (const Row& row : {Row{1000, 500, {512, 256}}, Row{500, 1000, {256, 512}},
                           Row{600, 600, {512, 512}}, Row{300, 200, {300, 200}}}) {
        ASSERT_TRUE(canvas.ShowPicture(Picture("fit.png", row.w, row.h)));
        EXPECT_EQ(canvas.FitSizeTruncated(), row.fitted) << row.w << "x" << row.h;
        EXPECT_EQ(canvas.WorkingBitmap().size(), QSize(row.fitted.width, row.fitted.height));
    }
    EXPECT_TRUE(frontend.Messages().empty());
}

TEST_F(CanvasTest, ShownSizePlaceAndFrameImage) {
    EXPECT_EQ(AlignShownSize({130, 97}), (Size{132, 100}));
    EXPECT_EQ(AlignShownSize({128, 97}), (Size{128, 97}));

    ASSERT_TRUE(canvas.ShowPicture(Picture("wide.png", 1000, 500)));
    EXPECT_TRUE(canvas.Crop().m_bCropOn);  // the first picture comes up with the frame on
    ASSERT_TRUE(canvas.Caption());
    EXPECT_EQ(canvas.Caption()->text, "Clear");
    // 512 x 256 at the LCD height is 256 x 128.
    EXPECT_EQ(canvas.ShownSize(), (Size{256, 128}));
    EXPECT_EQ(canvas.m_ptShow, (Point{2 + (537 - 256) / 2, 230 + (326 - 128) / 2}));

    QImage frame(QString::fromStdString(paths.forCut.string()));
    ASSERT_EQ(frame.size(), QSize(258, 130));
    for (int x = 0; x < frame.width(); ++x) {
        EXPECT_EQ(frame.pixelColor(x, 0), kFace);
        EXPECT_EQ(frame.pixelColor(x, frame.height() - 1), kFace);
    }
    for (int y = 0; y < frame.height(); ++y) {
        EXPECT_EQ(frame.pixelColor(0, y), kFace);
        EXPECT_EQ(frame.pixelColor(frame.width() - 1, y), kFace);
    }

    // What the preview shows inside the frame is what Add cuts out.
    const QImage cut = canvas.CutForAdd();
    ASSERT_EQ(cut.size(), QSize(128, 128));
    const Point origin = CutOrigin(canvas.Crop().m_rcCrop, canvas.m_ptShow);
    EXPECT_EQ(cut, frame.copy(origin.x + 1, origin.y + 1, 128, 128).convertToFormat(cut.format()));

    DrawPlan plan = canvas.Draw();
    EXPECT_TRUE(plan.drawPicture);
    EXPECT_EQ(plan.at, (Point{canvas.m_ptShow.x - 1, canvas.m_ptShow.y - 1}));
    EXPECT_TRUE(plan.drawCrop);
    EXPECT_FALSE(canvas.m_bReloadCut);

    // With the frame off the picture is shown at the LCD size, whatever its proportions,
    // and the cut takes all of it.
    canvas.ToggleCropRect();
    EXPECT_FALSE(canvas.Crop().m_bCropOn);
    EXPECT_EQ(canvas.Caption()->text, "Rect");
    EXPECT_EQ(canvas.ShownSize(), (Size{128, 128}));
    EXPECT_EQ(canvas.CutForAdd(), HalftoneStretch(canvas.WorkingBitmap(), 128, 128));
    EXPECT_FALSE(canvas.Draw().drawCrop);
}

TEST_F(CanvasTest, ZoomStepsAndToggleKeepTheZoomedSize) {
    canvas.SetPreviewBox({2, 230, 2 + 537, 230 + 353});  // available area 511 x 327
    ASSERT_TRUE(canvas.ShowPicture(Picture("big.png", 1024, 768)));
    EXPECT_EQ(canvas.ShownSize(), (Size{172, 128}));
    canvas.ZoomIn();
    EXPECT_EQ(canvas.ShownSize(), (Size{192, 144}));
    EXPECT_EQ(canvas.Crop().m_fZoom, 1.0f);
    canvas.ToggleCropRect();
    EXPECT_EQ(canvas.ShownSize(), (Size{128, 128}));
    canvas.ZoomIn();  // the frame is off: ignored
    EXPECT_EQ(canvas.Crop().m_fZoom, 1.0f);
    canvas.ToggleCropRect();
    EXPECT_EQ(canvas.ShownSize(), (Size{192, 144}));
    canvas.ZoomOut();
    EXPECT_EQ(canvas.ShownSize(), (Size{172, 128}));
    canvas.ZoomOut();  // refused at the base, which disabled it
    EXPECT_FALSE(canvas.Crop().m_bCanZoomOut);
    EXPECT_EQ(canvas.ShownSize(), (Size{172, 128}));
}

TEST_F(CanvasTest, LoadsKeepTheFrameModeFolderClicksSwitchItOn) {
    const std::string path = Picture("mode.png", 400, 300);
    int rebuilt = 0;
    canvas.SetRebuiltHandler([&] { ++rebuilt; });
    ASSERT_TRUE(canvas.ShowPicture(path));
    EXPECT_EQ(rebuilt, 1);
    canvas.ToggleCropRect();
    ASSERT_FALSE(canvas.Crop().m_bCropOn);
    ASSERT_TRUE(canvas.ShowPicture(path));
    EXPECT_FALSE(canvas.Crop().m_bCropOn);  // an album click or a batch keeps it off
    EXPECT_EQ(canvas.ShownSize(), (Size{128, 128}));
    ASSERT_TRUE(canvas.ShowFolderPicture(path));
    EXPECT_TRUE(canvas.Crop().m_bCropOn);
    EXPECT_EQ(canvas.ShownSize(), (Size{172, 128}));
    // The frame's inside is centred on the shown picture.
    const Rect& crop = canvas.Crop().m_rcCrop;
    EXPECT_EQ(crop.left + 1 - canvas.m_ptShow.x, (172 - 128) / 2);
    EXPECT_EQ(crop.top + 1, canvas.m_ptShow.y);
}

TEST_F(CanvasTest, UnreadablePicturesAreDestroyed) {
    const std::string empty = (dir / "empty.jpg").string();
    std::ofstream(empty).close();
    const std::string text = (dir / "text.jpg").string();
    std::ofstream(text) << "not a picture at all\n";
    for (const std::string& path : {empty, text, (dir / "missing.jpg").string()}) {
        frontend.Clear();
        EXPECT_FALSE(canvas.ShowPicture(path)) << path;
        EXPECT_FALSE(canvas.PictureLoaded());
        EXPECT_EQ(frontend.Messages(), std::vector<std::string>{"The picture is destroyed!"});
    }
    // Nothing loaded: the commands and the draw do nothing.
    canvas.ZoomIn();
    canvas.RotateRight();
    EXPECT_FALSE(canvas.Draw().drawPicture);
}

TEST_F(CanvasTest, RotationTurnsTheWorkingPicture) {
    ASSERT_TRUE(canvas.ShowPicture(Picture("turn.png", 300, 200)));
    const QImage before = canvas.WorkingBitmap();
    canvas.ZoomIn();
    canvas.RotateRight();
    EXPECT_TRUE(canvas.m_bRotated);
    EXPECT_EQ(canvas.Crop().m_fZoom, 0.0f);
    EXPECT_EQ(canvas.FitSizeTruncated(), (Size{200, 300}));
    ASSERT_EQ(canvas.WorkingBitmap().size(), QSize(200, 300));
    EXPECT_EQ(canvas.WorkingBitmap().pixel(199, 0), before.pixel(0, 0));
    EXPECT_EQ(canvas.WorkingBitmap(), RotatePixels(before, RotateDirection::Clockwise));
    canvas.RotateLeft();
    EXPECT_EQ(canvas.WorkingBitmap(), before);
    // A new picture shows the source again.
    ASSERT_TRUE(canvas.ShowPicture(Picture("next.png", 300, 200)));
    EXPECT_FALSE(canvas.m_bRotated);
    canvas.DeleteCanvasFiles();
    EXPECT_FALSE(std::filesystem::exists(paths.forCut));
    EXPECT_FALSE(std::filesystem::exists(paths.forShowBmp));
}

TEST(RotatePixels, ExactMappingBothWays) {
    const QImage src = Gradient(300, 200);
    const QImage cw = RotatePixels(src, RotateDirection::Clockwise);
    const QImage ccw = RotatePixels(src, RotateDirection::CounterClockwise);
    ASSERT_EQ(cw.size(), QSize(200, 300));
    ASSERT_EQ(ccw.size(), QSize(200, 300));
    EXPECT_EQ(cw.pixel(199, 0), src.pixel(0, 0));   // top-left becomes top-right
    EXPECT_EQ(ccw.pixel(0, 0), src.pixel(299, 0));  // top-right becomes top-left
    for (int x = 0; x < 300; x += 7)
        for (int y = 0; y < 200; y += 3) {
            ASSERT_EQ(cw.pixel(199 - y, x), src.pixel(x, y));
            ASSERT_EQ(ccw.pixel(y, 299 - x), src.pixel(x, y));
        }
}

TEST_F(CanvasTest, DpfPictureMustSuitTheLcd) {
    const std::string dpf = (dir / "frame.dpf").string();
    std::ofstream(dpf, std::ios::binary) << std::string("\x00\x80\x00\x80stream", 10);
    int decodes = 0;
    canvas.SetDpfDecoder(
        [&](const std::filesystem::path& stream, const std::filesystem::path& bmp) {
            ++decodes;
            EXPECT_EQ(stream, dpf);
            QImage decoded(128, 128, QImage::Format_RGB32);
            decoded.fill(QColor(200, 40, 70));
            return WriteBmp24(bmp, decoded);
        });
    ASSERT_TRUE(canvas.ShowPicture(dpf));
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(canvas.WorkingBitmap().size(), QSize(128, 128));
    EXPECT_EQ(canvas.WorkingBitmap().pixelColor(64, 64), QColor(200, 40, 70));
    EXPECT_TRUE(std::filesystem::exists(paths.forShow));

    for (Size lcd : {Size{128, 160}, Size{160, 128}}) {
        frontend.Clear();
        canvas.SetLcdSize(lcd);
        EXPECT_FALSE(canvas.ShowPicture(dpf));
        EXPECT_FALSE(canvas.PictureLoaded());
        EXPECT_EQ(frontend.Messages(),
                  std::vector<std::string>{"The dpf file " + dpf +
                                           " is not suit for the size of this Device!"});
    }
    EXPECT_EQ(decodes, 1);

    // A failed decode gives the same message.
    canvas.SetLcdSize({128, 128});
    canvas.SetDpfDecoder([](const auto&, const auto&) { return false; });
    frontend.Clear();
    EXPECT_FALSE(canvas.ShowPicture(dpf));
    EXPECT_EQ(frontend.Messages().size(), 1u);
}

// Device picture files are known by their extension in any case; a photo in a folder whose
// name ends in ".dpf" is an ordinary picture.
TEST_F(CanvasTest, DpfFilesAreKnownByTheirExtension) {
    int decodes = 0;
    canvas.SetDpfDecoder([&](const std::filesystem::path&, const std::filesystem::path& bmp) {
        ++decodes;
        QImage decoded(128, 128, QImage::Format_RGB32);
        decoded.fill(QColor(10, 20, 30));
        return WriteBmp24(bmp, decoded);
    });
    const std::string upper = (dir / "FRAME.DPF").string();
    std::ofstream(upper, std::ios::binary) << std::string("\x00\x80\x00\x80stream", 10);
    ASSERT_TRUE(canvas.ShowPicture(upper));
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(canvas.WorkingBitmap().pixelColor(64, 64), QColor(10, 20, 30));

    std::filesystem::create_directory(dir / "album.dpf");
    ASSERT_TRUE(canvas.ShowPicture(Picture("album.dpf/photo.png", 300, 200)));
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(canvas.WorkingBitmap().size(), QSize(300, 200));
    EXPECT_TRUE(frontend.Messages().empty());
}

TEST_F(CanvasTest, LowColourDepthEndsTheProgram) {
    canvas.SetDisplayDepth(8);
    EXPECT_FALSE(canvas.CheckColourDepth());
    EXPECT_TRUE(canvas.ExitRequested());
    EXPECT_EQ(frontend.Messages().size(), 1u);
    canvas.SetDisplayDepth(16);
    EXPECT_TRUE(canvas.CheckColourDepth());
}

TEST_F(CanvasTest, NothingHappensWhileATransferRuns) {
    const std::string path = Picture("busy.png", 300, 200);
    ASSERT_TRUE(canvas.ShowPicture(path));
    const Point inside{canvas.Crop().m_rcCrop.left + 5, canvas.Crop().m_rcCrop.top + 5};
    EXPECT_TRUE(canvas.IsAddDoubleClick(inside));
    EXPECT_FALSE(canvas.IsAddDoubleClick({1, 1}));
    state.m_bBatchAdding = true;
    EXPECT_FALSE(canvas.IsAddDoubleClick(inside));
    state.m_bBatchAdding = false;
    state.m_bReady = false;
    EXPECT_FALSE(canvas.Draw().drawPicture);
    canvas.LeftButtonDown(inside);
    EXPECT_FALSE(canvas.Crop().m_bDragging);
    EXPECT_FALSE(canvas.IsAddDoubleClick(inside));
}

}  // namespace
}  // namespace framewise

namespace framewise {
namespace {

// A picture prepared off the window's thread shows exactly as one the canvas reads itself; one
// prepared for another file, or one that cannot be read, is not taken for it.
TEST_F(CanvasTest, APreparedPictureShowsAsTheFileItself) {
    const std::string a = Picture("a.png", 1300, 700);
    const std::string b = Picture("b.png", 600, 900);
    ASSERT_TRUE(canvas.ShowPicture(a));
    const QImage working = canvas.WorkingBitmap();
    const DrawPlan plan = canvas.Draw();

    canvas.SetPrepared(PreparePicture(a));
    ASSERT_TRUE(canvas.ShowPicture(a));
    EXPECT_EQ(canvas.WorkingBitmap(), working);
    canvas.m_bReloadCut = true;
    EXPECT_EQ(canvas.Draw().picture, plan.picture);

    canvas.SetPrepared(PreparePicture(b));
    ASSERT_TRUE(canvas.ShowPicture(a));
    EXPECT_EQ(canvas.WorkingBitmap(), working);
    EXPECT_FALSE(PreparePicture(dir / "missing.jpg").ok);
    EXPECT_TRUE(PreparePicture(dir / "x.dpf").file.empty());
}

}  // namespace
}  // namespace framewise
