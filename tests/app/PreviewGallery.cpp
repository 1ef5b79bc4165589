// Pictures of the preview in the real window on a simulated frame, for looking at it:
//   preview_gallery OUTDIR
// writes OUTDIR/preview-crop.png (a real photo with the crop frame dragged off centre),
// OUTDIR/preview-zoomed.png (zoomed in three steps, the frame moved again) and
// OUTDIR/preview-rotated.png (turned a quarter right). Under Xvfb (xcb) the pictures are what
// the X server shows; on the offscreen platform the window's own rendering.
#include <QApplication>
#include <QScreen>

#include <cstdio>

#include "PictureWindow.h"

namespace fw = framewise;

namespace {

bool Save(fw::test::PictureWindow& w, const QString& file) {
    for (int i = 0; i < 20; ++i) QTest::qWait(10);
    QPixmap shot = QGuiApplication::platformName() == QLatin1String("xcb")
                       ? w.window.screen()->grabWindow(w.window.winId())
                       : w.window.grab();
    if (!shot.save(file)) {
        std::fprintf(stderr, "preview_gallery: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

void Drag(fw::test::PictureWindow& w, QPoint by) {
    fw::PreviewWidget& preview = w.Preview();
    QPoint p = w.FrameCentre();
    QTest::mouseMove(&preview, p);
    QTest::mousePress(&preview, Qt::LeftButton, {}, p);
    const int steps = std::max(std::abs(by.x()), std::abs(by.y()));
    for (int i = 1; i <= steps; ++i) QTest::mouseMove(&preview, p + by * i / steps);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, p + by);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview_gallery OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    fw::test::TempDir dir;
    const std::vector<std::string> photos = fw::test::RealPhotos(dir.path(), 12, 2000);
    if (photos.empty()) {
        std::fprintf(stderr, "preview_gallery: no photographs (mate-backgrounds)\n");
        return 1;
    }
    fw::FrameImageOptions options;
    options.lcdWidth = 160;
    options.lcdHeight = 128;
    fw::test::PictureWindow w(options);
    // A few pictures in the album first, from a drop.
    if (!w.DropAndWait({photos[0], photos[1], photos[4]})) return 1;
    w.side->ShowFolderPicture(photos[6]);
    Drag(w, QPoint(-60, 30));
    bool ok = Save(w, out + "/preview-crop.png");
    for (int i = 0; i < 3; ++i) QTest::keyClick(&w.window, Qt::Key_Plus, Qt::KeypadModifier);
    Drag(w, QPoint(90, -40));
    ok = Save(w, out + "/preview-zoomed.png") && ok;
    QTest::keyClick(&w.window, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    ok = Save(w, out + "/preview-rotated.png") && ok;
    return ok ? 0 : 1;
}
