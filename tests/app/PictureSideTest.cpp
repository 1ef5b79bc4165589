// The picture side of the real main window on the offscreen platform, against a simulated
// frame and real photographs: dragging the crop frame and the pointer capture, the
// double-click Add, zoom to its limits, Rect/Clear, rotation, the album click, the batch of
// dropped photos with its progress, stop and quality loop, and the quality slider.
#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QtTest>
#include <fstream>

#include "PictureWindow.h"
#include "browser/FolderBrowser.h"
#include "browser/FolderTreeCtrl.h"
#include "picture/ImagePsnr.h"

using namespace framewise;
using framewise::test::PictureWindow;
using framewise::test::Psnr;
using framewise::test::RealPhotos;

namespace {

// The centred square of a photo as the LCD shows it: an independent account of what a batch
// stores with the crop frame at its first size.
QImage CentreSquare(const std::string& photo, int side) {
    const QImage image(QString::fromStdString(photo));
    const int s = std::min(image.width(), image.height());
    return image.copy((image.width() - s) / 2, (image.height() - s) / 2, s, s)
        .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// The mean difference between two neighbouring rows (or columns) of a picture.
double EdgeStep(const QImage& image, bool rows, int a, int b) {
    double sum = 0;
    const int n = rows ? image.width() : image.height();
    for (int i = 0; i < n; ++i) {
        const QRgb p = rows ? image.pixel(i, a) : image.pixel(a, i);
        const QRgb q = rows ? image.pixel(i, b) : image.pixel(b, i);
        sum += std::abs(qGray(p) - qGray(q));
    }
    return sum / n;
}

void Keys(PictureWindow& w, Qt::Key key, Qt::KeyboardModifiers modifiers, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(&w.window, key, modifiers);
}

}  // namespace

class PictureSideTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void dragKeepsTheFrameOnThePictureAndMovesLeaveTheCapture();
    void doubleClickAddsInsideTheFrameOnly();
    void zoomRectAndRotateFromTheKeys();
    void portraitAfterLandscapeStoresNoFrameRow();
    void droppedPhotosAreAddedInOrderWithTheQualityLoop();
    void aBatchIsStoppedAndIgnoresCtrlRight();
    void albumClickFollowsTheRenumberedPicture();
    void qualitySliderAndDisplayDepth();
    void folderBrowserFeedsThePreviewAndAdd();

  private:
    // Shows a photo as the user first can: dropped (which adds it), then its album item clicked.
    void Load(PictureWindow& w, const std::string& photo) {
        QVERIFY(w.DropAndWait({photo}));
        QVERIFY(w.ClickAlbumItem(w.Count() - 1));
        QVERIFY(w.Canvas().PictureLoaded());
    }
    std::vector<std::string> m_photos;
    test::TempDir m_dir;
};

void PictureSideTest::initTestCase() {
    m_photos = RealPhotos(m_dir.path(), 30);
    if (m_photos.empty())
        QSKIP("no photographs: install mate-backgrounds (scripts/setup does)");
}

void PictureSideTest::dragKeepsTheFrameOnThePictureAndMovesLeaveTheCapture() {
    PictureWindow w;
    Load(w, m_photos[0]);
    PreviewWidget& preview = w.Preview();
    const PreviewCanvas& canvas = w.Canvas();
    QVERIFY(canvas.Crop().m_bCropOn);

    // Over the frame the preview takes the pointer; the button going up keeps it; the next
    // move off the frame gives it back.
    const QPoint centre = w.FrameCentre();
    QTest::mouseMove(&preview, centre);
    QVERIFY(preview.Capturing());
    QCOMPARE(QWidget::mouseGrabber(), &preview);
    QTest::mousePress(&preview, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, centre);
    QVERIFY(preview.Capturing());
    QTest::mouseMove(&preview, centre + QPoint(3, 2));
    QVERIFY(preview.Capturing());
    QTest::mouseMove(&preview, QPoint(4, 4));
    QVERIFY(!preview.Capturing());

    // Dragged far left, then far up, the frame stops one pixel outside the picture's corner.
    QTest::mouseMove(&preview, centre);
    QTest::mousePress(&preview, Qt::LeftButton, {}, centre);
    QPoint p = centre;
    for (int i = 0; i < 200; ++i) QTest::mouseMove(&preview, p -= QPoint(1, 0));
    for (int i = 0; i < 160; ++i) QTest::mouseMove(&preview, p -= QPoint(0, 1));
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, p);
    const Rect frame = canvas.Crop().m_rcCrop;
    QCOMPARE(frame.left, canvas.m_ptShow.x - 1);
    QCOMPARE(frame.top, canvas.m_ptShow.y - 1);
    // The dotted frame is on screen where the canvas keeps it.
    QTRY_COMPARE(preview.Plan().crop, frame);
    const QImage shot = preview.grab().toImage();
    const QPoint corner = w.At({frame.left, frame.top + 5});
    QVERIFY(shot.pixelColor(corner) != shot.pixelColor(corner + QPoint(0, 1)));

    // What Add stores is the picture's top-left corner, not its middle.
    const int before = w.Count();
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QCOMPARE(w.Count(), before + 1);
    const QImage photo(QString::fromStdString(m_photos[0]));
    const QImage shown = photo.scaled(canvas.m_nShowWidth, canvas.m_nShowHeight,
                                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage stored = w.AlbumPicture(before + 1).convertToFormat(QImage::Format_RGB32);
    const QImage topLeft = shown.copy(0, 0, 128, 128).convertToFormat(QImage::Format_RGB32);
    const QImage middle = shown.copy((shown.width() - 128) / 2, (shown.height() - 128) / 2, 128, 128)
                              .convertToFormat(QImage::Format_RGB32);
    QVERIFY2(Psnr(stored, topLeft) > 24 && Psnr(stored, topLeft) > Psnr(stored, middle) + 3,
             qPrintable(QStringLiteral("%1 %2").arg(Psnr(stored, topLeft)).arg(Psnr(stored, middle))));
}

void PictureSideTest::doubleClickAddsInsideTheFrameOnly() {
    PictureWindow w;
    Load(w, m_photos[1]);
    FolderSelection& folder = w.bench->FolderList();
    folder.m_strFolderPrefix = m_dir.path().string() + "/";
    folder.items = {"photo101.jpg", "photo102.jpg"};
    folder.selected = {true, false};

    const int before = w.Count();
    QTest::mouseDClick(&w.Preview(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(w.Count(), before);
    QTest::mouseDClick(&w.Preview(), Qt::LeftButton, {}, w.FrameCentre());
    QCOMPARE(w.Count(), before + 1);
    QCOMPARE(folder.selected, (std::vector<bool>{true, false}));
    // The Add button moves the folder selection on.
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QCOMPARE(w.Count(), before + 2);
    QCOMPARE(folder.selected, (std::vector<bool>{false, true}));
}

void PictureSideTest::zoomRectAndRotateFromTheKeys() {
    PictureWindow w;
    auto* rect = w.Get<QAbstractButton>(kIdRect);
    QWidget* in = w.Get(kIdZoomIn);
    QWidget* out = w.Get(kIdZoomOut);
    // Nothing loaded: Rect/Clear does nothing, there is nothing to zoom.
    const QString caption = rect->text();
    Keys(w, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(rect->text(), caption);
    QVERIFY(!in->isEnabled() && !out->isEnabled());

    w.side->ShowFolderPicture(m_photos[2]);
    const PreviewCanvas& canvas = w.Canvas();
    const CropZoom& crop = canvas.Crop();
    QCOMPARE(rect->text(), QStringLiteral("Clear"));
    QCOMPARE(rect->toolTip(), QStringLiteral("Clear Rect"));
    // Zoom in until the sizing refuses: + is disabled, the picture fits the box.
    QVERIFY(in->isEnabled());
    int steps = 0;
    while (in->isEnabled() && steps < 100) {
        Keys(w, Qt::Key_Plus, Qt::KeypadModifier);
        ++steps;
    }
    QVERIFY(steps > 3 && !in->isEnabled());
    QVERIFY(canvas.m_nShowWidth <= canvas.AvailableArea().width + 3);
    QVERIFY(canvas.m_nShowHeight <= canvas.AvailableArea().height + 3);
    QVERIFY(out->isEnabled());
    while (out->isEnabled() && steps-- > -5) Keys(w, Qt::Key_Minus, Qt::KeypadModifier);
    QVERIFY(!out->isEnabled() && in->isEnabled());
    QCOMPARE(Size(crop.m_nZoomWidth, crop.m_nZoomHeight), Size(crop.m_nBaseWidth, crop.m_nBaseHeight));
    Keys(w, Qt::Key_Plus, Qt::KeypadModifier);
    const Size zoomed = canvas.ShownSize();

    // Clear: the whole picture at the LCD size, no frame, no zooming; Rect brings the zoom back.
    Keys(w, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(rect->text(), QStringLiteral("Rect"));
    QCOMPARE(rect->toolTip(), QStringLiteral("Draw Rect"));
    QCOMPARE(canvas.ShownSize(), Size(128, 128));
    QVERIFY(!in->isEnabled() && !out->isEnabled() && !w.Preview().Plan().drawCrop);
    Keys(w, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(canvas.ShownSize(), zoomed);
    QVERIFY(w.Preview().Plan().drawCrop);

    // A quarter turn right moves the top-left pixel to the top right, left undoes it (a turn
    // starts at the first zoom size); four turns give the picture and the cut back.
    const QImage working = canvas.WorkingBitmap();
    Keys(w, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    const QImage turned = canvas.WorkingBitmap();
    QCOMPARE(turned.size(), working.size().transposed());
    QCOMPARE(turned.pixel(turned.width() - 1, 0), working.pixel(0, 0));
    Keys(w, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(canvas.WorkingBitmap(), working);
    const QImage cut = canvas.CutForAdd();
    Keys(w, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, 4);
    QCOMPARE(canvas.WorkingBitmap(), working);
    QCOMPARE(canvas.CutForAdd(), cut);
}

void PictureSideTest::portraitAfterLandscapeStoresNoFrameRow() {
    PictureWindow w;
    const std::string landscape = m_photos[3], portrait = m_photos[12 + 3];
    QVERIFY(w.DropAndWait({landscape, portrait}));  // the batch adds both
    QVERIFY(w.ClickAlbumItem(0));
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QVERIFY(w.ClickAlbumItem(1));
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QCOMPARE(w.Count(), 4);
    // A row or column of the frame's colour stands out from its neighbour in a photo.
    for (int n : {2, 4}) {
        const QImage stored = w.AlbumPicture(n);
        const int last = stored.width() - 1;
        for (bool rows : {true, false})
            QVERIFY2(EdgeStep(stored, rows, 0, 1) < 25 && EdgeStep(stored, rows, last, last - 1) < 25,
                     qPrintable(QStringLiteral("picture %1").arg(n)));
    }
}

void PictureSideTest::droppedPhotosAreAddedInOrderWithTheQualityLoop() {
    FrameImageOptions options;
    options.flashKb = 1024;
    options.capacity = 100;  // about 8 KB a picture: the quality steps down to fit
    PictureWindow w(options);
    int ticks = 0;
    bool sawBatchState = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (w.State().m_bBatchAdding)
            sawBatchState |= !w.Get(kIdAdd)->isEnabled() && w.side->StopButton()->isVisible() &&
                             !w.window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint);
    });
    // The batch selects each new album item itself: that is no click for the preview.
    int albumClicks = 0;
    auto clicked = w.program->Hooks().albumItemClicked;
    w.program->Hooks().albumItemClicked = [&](const std::vector<int>& selected) {
        ++albumClicks;
        clicked(selected);
    };
    timer.start(5);
    QVERIFY(w.DropAndWait(m_photos, 120000));
    timer.stop();
    QCOMPARE(albumClicks, 0);
    QTRY_COMPARE(w.window.Controls().AlbumList()->count(), 30);
    QVERIFY(w.window.Controls().AlbumList()->item(29)->isSelected());
    // The window went on turning its event loop between the pictures.
    QVERIFY2(ticks >= int(m_photos.size()), qPrintable(QString::number(ticks)));
    QVERIFY(sawBatchState);

    QVERIFY2(w.Count() == 30, qPrintable(Dialogs::TakeShown().join('\n')));
    QCOMPARE(w.session.Folder().SourcePathList(), m_photos);
    long long total = 0;
    int stepped = 0;
    const auto& items = w.bench->Batch().Items();
    for (int k = 0; k < 30; ++k) {
        const BatchItem& item = items[size_t(k)];
        // Each stream within its share of the free flash, at a quality of the loop's steps.
        const long long budget =
            ((1024 - (total + 1023) / 1024 - 0x30000 / 1024 - 4) * 1024) / (100 - k);
        QVERIFY(item.added && item.size > 0 && (long long)item.size <= budget);
        QCOMPARE((90 - item.quality) % 10, 0);
        stepped += item.quality < 90;
        total += item.size;
        // Album picture k is photo k: closer to it than to any other photo.
        const QImage stored = w.AlbumPicture(k + 1).convertToFormat(QImage::Format_RGB32);
        const double own = Psnr(stored, CentreSquare(m_photos[size_t(k)], 128));
        QVERIFY2(own > 22, qPrintable(QStringLiteral("picture %1: %2 dB").arg(k + 1).arg(own)));
        for (int j : {k - 1, k + 1})
            if (j >= 0 && j < 30)
                QVERIFY(own > Psnr(stored, CentreSquare(m_photos[size_t(j)], 128)));
    }
    QVERIFY(stepped > 0);
    QCOMPARE(size_t(w.session.Connection().Model().TotalStoredBytes()), size_t(total));

    // The end: modified, controls back, zoom and rotate waiting for a folder picture, the
    // minimize box back, the progress run through.
    QVERIFY(w.State().m_bModified && !w.State().m_bBatchAdding);
    QVERIFY(w.Get(kIdAdd)->isEnabled() && !w.side->StopButton()->isVisible());
    for (int id : {kIdZoomIn, kIdZoomOut, kIdRotateLeft, kIdRotateRight})
        QVERIFY(!w.Get(id)->isEnabled());
    QVERIFY(w.window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QCOMPARE(w.window.Status()->StatusText(), QStringLiteral("30 / 30"));
    QVERIFY(Dialogs::TakeShown().isEmpty());
}

void PictureSideTest::aBatchIsStoppedAndIgnoresCtrlRight() {
    PictureWindow w;
    const std::vector<std::string> queue(m_photos.begin(), m_photos.begin() + 12);
    // Once two pictures are in: Ctrl+Right, the close box, then Stop.
    QTimer timer;
    bool stopped = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (stopped || w.Count() < 2) return;
        stopped = true;
        Keys(w, Qt::Key_Right, Qt::ControlModifier);
        w.window.close();
        QTest::mouseClick(w.side->StopButton(), Qt::LeftButton);
    });
    timer.start(1);
    QVERIFY(w.DropAndWait(queue));
    QVERIFY(stopped && w.bench->Batch().Stopped() && w.window.isVisible());

    // The album folder, the list, SourcePathList and the flash model hold the same pictures.
    const int k = w.bench->Batch().Added();
    QVERIFY(k >= 2 && k < 12);
    QCOMPARE(w.Count(), k);
    QCOMPARE(w.session.Folder().SourcePathList(),
             std::vector<std::string>(queue.begin(), queue.begin() + k));
    QVERIFY(std::filesystem::exists(w.session.Folder().FilePath(k)));
    QVERIFY(!std::filesystem::exists(w.session.Folder().FilePath(k + 1)));
    const FlashModel& model = w.session.Connection().Model();
    QVERIFY(model.Record(k - 1).inUse == 1 && model.Record(k).inUse != 1);
    QCOMPARE(w.window.Status()->StatusText(), QStringLiteral("%1 / 12").arg(k));
    QVERIFY(!w.side->StopButton()->isVisible() && w.Get(kIdAdd)->isEnabled());
    QVERIFY(Dialogs::TakeShown().isEmpty());
}

void PictureSideTest::albumClickFollowsTheRenumberedPicture() {
    PictureWindow w;
    QVERIFY(w.DropAndWait({m_photos[4], m_photos[5]}));
    // Single Adds: their album items show the album files themselves.
    for (int i : {0, 1}) {
        QVERIFY(w.ClickAlbumItem(i));
        QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    }
    QCOMPARE(w.Count(), 4);
    QVERIFY(w.ClickAlbumItem(3));
    PreviewCanvas& canvas = w.Canvas();
    QCOMPARE(canvas.m_strSourcePath, w.session.Folder().FilePath(4).string());
    const QImage shown = canvas.WorkingBitmap();

    // The window's Delete on a selection the program makes (no click, so the preview stays).
    auto deleteItems = [&](std::vector<int> items) {
        w.session.List().ClearSelection();
        for (int i : items) w.session.List().SetItemSelected(i, true);
        QCoreApplication::processEvents();
        Dialogs::SetNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(w.Get(kIdDelete), Qt::LeftButton);
    };
    // Picture 1 goes: the shown picture is now 0003.bmp, and a rebuild loads that one.
    deleteItems({0});
    QCOMPARE(canvas.m_strSourcePath, w.session.Folder().FilePath(3).string());
    Keys(w, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, 4);
    QCOMPARE(canvas.WorkingBitmap(), shown);
    // The shown picture goes: the preview empties rather than show what took its name.
    deleteItems({2});
    QVERIFY(!canvas.PictureLoaded() && !w.Preview().Plan().drawPicture);
    // The album emptied: the last folder picture comes back.
    w.side->RememberFolderPicture(m_photos[6]);
    deleteItems({0, 1});
    QCOMPARE(w.Count(), 0);
    QCOMPARE(canvas.m_strSourcePath, m_photos[6]);
    QVERIFY(w.Preview().Plan().drawPicture);
}

void PictureSideTest::qualitySliderAndDisplayDepth() {
    FrameImageOptions options;
    options.quality = 70;
    PictureWindow w(options);
    auto* slider = w.Get<QSlider>(kIdQualitySlider);
    auto* label = w.Get<QLabel>(kIdQualityLabel);
    QVERIFY(slider->isVisible() && slider->isEnabled() && label->isVisible());
    QCOMPARE(slider->value(), 70);
    QCOMPARE(label->text(), QStringLiteral("Jpg Quality:70"));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(label->text(), QStringLiteral("Jpg Quality:71"));
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(label->text(), QStringLiteral("Jpg Quality:100"));
    slider->setValue(35);
    QCOMPARE(label->text(), QStringLiteral("Jpg Quality:35"));
    QCOMPARE(w.bench->Adder().JpgQuality(), 35);
    // Add starts at the slider's quality (a frame of 500 pictures takes the first stream).
    w.side->ShowFolderPicture(m_photos[7]);
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QCOMPARE(w.bench->Adder().LastQuality(), 35);

    // Fewer than 16 bits per pixel: the program says so and must end.
    QVERIFY(w.side->CheckDisplay(16));
    QVERIFY(Dialogs::TakeShown().isEmpty());
    QVERIFY(!w.side->CheckDisplay(8));
    const QStringList shown = Dialogs::TakeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.front().contains(QStringLiteral("less than 16 bit")));
}

namespace {

// Clicks folder picture row, with Ctrl added to the selection.
void ClickFolderPicture(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
}

}  // namespace

void PictureSideTest::folderBrowserFeedsThePreviewAndAdd() {
    // A folder of real photographs on the Desktop, and a file that only looks like one.
    test::TempDir desk;
    std::filesystem::create_directories(desk / "photos" / ".hidden");
    std::vector<std::string> photos = RealPhotos(desk / "photos", 4);
    QVERIFY(photos.size() == 4);
    {
        std::ofstream broken(desk / "photos" / "photo102a.jpg");
        broken << "not a picture";
    }
    PictureWindow w;
    auto* tree = w.Get<FolderTreeCtrl>(kIdFolderTree);
    auto* list = w.Get<FolderPictureList>(kIdFolderPictureList);
    QVERIFY(tree && list);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("My Computer"));
    tree->SetSpecialFolders(QString::fromStdString(desk.path().string()),
                            QString::fromStdString(desk.path().string()));
    tree->populateRoots();
    tree->expandItem(tree->desktopItem());
    QCOMPARE(tree->desktopItem()->childCount(), 1);  // the hidden folder is not shown
    QTreeWidgetItem* folder = tree->desktopItem()->child(0);
    QCOMPARE(folder->text(0), QStringLiteral("photos"));

    // Expanding the folder fills the list with its thumbnails (the broken file leaves no gap)
    // while the tree and the list wait for the run.
    tree->expandItem(folder);
    QTRY_VERIFY(w.window.Enabling().Holds(DisableReason::Thumbnails) || list->count() == 4);
    QTRY_VERIFY_WITH_TIMEOUT(!w.browser->Browser().RunActive() && list->count() == 4, 20000);
    QTRY_VERIFY(tree->isEnabled() && list->isEnabled());
    QCOMPARE(list->item(2)->text(), QStringLiteral("photo102.jpg"));
    // The grid as the frame's start-up file sets it.
    const ThumbnailKeys& keys = w.session.Connection().Thumbnails();
    const ThumbnailGeometry grid = SaneThumbnailGeometry(keys.sThumbWidth, keys.sThumbColumn);
    QCOMPARE(list->Geometry().side, grid.side);
    QCOMPARE(list->ItemPosition(3), QPoint((3 % grid.columns) * (grid.side + 35),
                                           (3 / grid.columns) * (grid.side + 60)));
    QVERIFY(std::filesystem::exists(w.session.Paths().thumbFolder));

    // One picture clicked: the preview shows it, the zoom and rotate buttons come on.
    ClickFolderPicture(list, 1);
    QCOMPARE(w.Canvas().m_strSourcePath, photos[1]);
    QVERIFY(w.Preview().Plan().drawPicture);
    for (int id : {kIdZoomIn, kIdRotateLeft, kIdRotateRight}) QVERIFY(w.Get(id)->isEnabled());
    QTest::mouseClick(w.Get(kIdRotateRight), Qt::LeftButton);
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QCOMPARE(w.Count(), 1);
    const std::vector<std::string> single = w.session.Folder().SourcePathList();
    // Add moved the folder selection on to the next picture, which the preview shows.
    QCOMPARE(w.Canvas().m_strSourcePath, photos[2]);
    QVERIFY(list->item(2)->isSelected() && !list->item(1)->isSelected());

    // Two selected: zoom and rotate go off; Add runs the batch over both, in list order.
    ClickFolderPicture(list, 0);
    ClickFolderPicture(list, 3, Qt::ControlModifier);
    for (int id : {kIdZoomIn, kIdZoomOut, kIdRotateLeft, kIdRotateRight})
        QVERIFY(!w.Get(id)->isEnabled());
    w.finishedBefore = w.finishes;
    QTest::mouseClick(w.Get(kIdAdd), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.finishes > w.finishedBefore, 30000);
    // The single Add's album item stands for its own file; the batch's for their photos.
    QCOMPARE(w.session.Folder().SourcePathList(),
             (std::vector<std::string>{single[0], photos[0], photos[3]}));
    QVERIFY(!w.Get(kIdRotateLeft)->isEnabled());
    QVERIFY(Dialogs::TakeShown().isEmpty());

    // Collapsing the folder forgets its pictures.
    tree->collapseItem(folder);
    QCOMPARE(list->count(), 0);
}

QTEST_MAIN(PictureSideTest)
#include "PictureSideTest.moc"
