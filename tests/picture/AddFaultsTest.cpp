// Add where things go wrong: an album read only in part, a frame placed for the picture shown
// before, a disk that fills during a write, a picture the flash model cannot take.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "FileSizeLimit.h"
#include "WorkbenchFixture.h"
#include "picture/AddMath.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::PhotoLike;

QImage Solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class AddFaultsTest : public test::WorkbenchFixture {
  protected:
    // Where the frame's inside starts in the shown picture, against where it would start
    // centred on it.
    void ExpectFrameCentred(const char* step) {
        const PreviewCanvas& canvas = bench->Canvas();
        const Size shown = canvas.ShownSize();
        const Size lcd = canvas.Lcd();
        EXPECT_EQ(CutOrigin(canvas.Crop().m_rcCrop, canvas.m_ptShow),
                  (Point{(shown.width - lcd.width) / 2, (shown.height - lcd.height) / 2}))
            << step << ": shown " << shown.width << " x " << shown.height;
    }
    // Whether every pixel of row y of an album file is near colour.
    bool RowIs(int number, int y, QColor colour) {
        const QImage file(QString::fromStdString(session->Folder().FilePath(number).string()));
        if (file.isNull()) return false;
        for (int x = 0; x < file.width(); ++x) {
            const QColor c = file.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) > 24 ||
                std::abs(c.green() - colour.green()) > 24 ||
                std::abs(c.blue() - colour.blue()) > 24)
                return false;
        }
        return true;
    }
};

TEST_F(AddFaultsTest, AlbumReadOnlyInPartTakesNoPictures) {
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    Open();
    test::PokeAlbum(*session->Simulated(), 0x30000,
                    {test::EncodeStream(128, 128, 1), test::EncodeStream(128, 128, 2),
                     test::EncodeStream(128, 128, 3)});
    ASSERT_TRUE(session->Arrive());
    // The frame drops out in the middle of the pictures and comes back.
    session->Simulated()->InjectFault(SimFault::Unplug, 12);
    ASSERT_FALSE(session->ReadAlbum());
    session->Simulated()->Plug();
    MakeBench();
    const int partial = Count();
    ASSERT_LT(partial, 3);
    std::vector<bool> controls;
    bench->Adder().SetEnableControls([&](bool on) { controls.push_back(on); });
    const std::string photo = Save(PhotoLike(300, 200), "p.bmp");

    // The picture can still be looked at, but nothing goes into the album: not by Add, nor a
    // double-click, nor a drop, nor a batch of selected folder pictures, nor a batch at all.
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(photo));
    EXPECT_FALSE(bench->Adder().AddPicture());
    const Rect frame = bench->Canvas().Crop().m_rcCrop;
    EXPECT_FALSE(bench->Adder().AddByDoubleClick({frame.left + 3, frame.top + 3}));
    EXPECT_FALSE(bench->Adder().DropFiles({photo}));
    FolderSelection& folder = bench->FolderList();
    folder.m_strFolderPrefix = (dir.path() / "").string();
    folder.items = {"p.bmp", "p.bmp"};
    folder.selected = {true, true};
    EXPECT_FALSE(bench->Adder().AddPicture());
    EXPECT_EQ(bench->AddAll({photo}), 0);
    EXPECT_TRUE(controls.empty());  // nothing was accepted, so nothing went off
    EXPECT_EQ(fe.Count("event", "ReceivePic"), 0);
    EXPECT_FALSE(session->State().m_bBatchAdding);
    ASSERT_TRUE(bench->Batch().Start());  // started without being accepted
    bench->Batch().Join();
    EXPECT_EQ(bench->Batch().Added(), 0);
    EXPECT_EQ(LastEvent(), "ProcessFinish");

    EXPECT_EQ(Count(), partial);
    EXPECT_EQ(session->Folder().SourcePathCount(), size_t(partial));
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(partial + 1)));
    EXPECT_FALSE(session->State().m_bModified);

    // Once the album has been read in full it takes pictures again.
    folder.selected = {false, false};
    ASSERT_TRUE(session->ReadAlbum());
    ASSERT_EQ(Count(), 3);
    EXPECT_TRUE(ShowAndAdd(photo));
    EXPECT_EQ(Count(), 4);
    EXPECT_TRUE(bench->Adder().DropFiles({photo}));
}

TEST_F(AddFaultsTest, FrameIsCentredOnThePictureActuallyShown) {
    Attach(FrameImageOptions{});  // 128 x 128
    const QColor red(200, 30, 30), blue(30, 30, 200);
    // Shown 128 x 183 (an odd height), then 192 x 128.
    const std::string tall = Save(Solid(200, 287, red), "tall.png", "PNG");
    const std::string wide = Save(Solid(300, 200, blue), "wide.png", "PNG");

    ASSERT_TRUE(ShowAndAdd(tall));
    ASSERT_EQ(bench->Canvas().ShownSize(), (Size{128, 183}));
    ExpectFrameCentred("tall");
    ASSERT_TRUE(ShowAndAdd(wide));
    ExpectFrameCentred("wide after tall");
    // The album picture holds the picture to its first row, not the frame's grey.
    EXPECT_TRUE(RowIs(2, 0, blue));
    EXPECT_TRUE(RowIs(2, 127, blue));
    EXPECT_TRUE(RowIs(1, 0, red));

    // Every way the shown size changes: rotations, the frame off and on, a zoom step.
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(tall));
    bench->Canvas().RotateLeft();
    ExpectFrameCentred("tall rotated left");
    bench->Canvas().RotateRight();
    ExpectFrameCentred("and back");
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(wide));
    bench->Canvas().RotateRight();
    ExpectFrameCentred("wide rotated right");
    bench->Canvas().ToggleCropRect();
    ASSERT_FALSE(bench->Canvas().Crop().m_bCropOn);
    ExpectFrameCentred("frame off");
    bench->Canvas().ToggleCropRect();
    ExpectFrameCentred("frame on again");
    bench->Canvas().ZoomIn();
    ExpectFrameCentred("zoomed in");
}

// A disk that fills while the album file is written leaves no part of it behind: the album
// folder, the list and the flash records keep counting the same pictures.
TEST_F(AddFaultsTest, FullDiskDuringAddLeavesNoPartOfThePicture) {
    Attach(FrameImageOptions{});
    const std::string first = Save(PhotoLike(300, 200), "first.png", "PNG");
    ASSERT_TRUE(ShowAndAdd(first));
    const int stored = session->Connection().Model().TotalStoredBytes();
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(Save(PhotoLike(200, 300), "second.png", "PNG")));

    // An album file is 49,206 bytes; 40,000 of them fit.
    const auto answer = test::WithFileSizeLimit(40000, [&] {
        const bool added = bench->Adder().AddPicture();
        const auto messages = fe.Messages();
        return std::string(added ? "added" : "refused") + " " + std::to_string(Count()) + " " +
               std::to_string(session->Folder().SourcePathCount()) + " " +
               std::to_string(session->Connection().Model().TotalStoredBytes()) + " " +
               (messages.empty() ? "" : messages.back());
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "refused 1 1 " + std::to_string(stored) + " Can not add this picture!");
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(2)));
    ASSERT_TRUE(session->Folder().EnumerateAlbumFolder());
    EXPECT_EQ(session->Folder().AlbumNameCount(), 1u);

    // With room again the next picture is number 2.
    ASSERT_TRUE(bench->Adder().AddPicture());
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(fs::exists(session->Folder().FilePath(2)));
}

// The preview's frame image cut short by a full disk: the preview shows the new picture (or
// nothing), never the picture before it or a part of the file.
TEST_F(AddFaultsTest, FullDiskDuringRebuildShowsTheNewPicture) {
    Attach(FrameImageOptions{});
    const QColor red(200, 30, 30), blue(30, 30, 200);
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(Save(Solid(300, 200, red), "red.png", "PNG")));
    DrawPlan plan = bench->Canvas().Draw();
    ASSERT_TRUE(plan.drawPicture);
    ASSERT_EQ(plan.picture.pixelColor(97, 65), red);

    const std::string bluePath = Save(Solid(200, 287, blue), "blue.png", "PNG");
    // The frame image of the blue picture is 130 x 185: 72,574 bytes, of which 40,000 fit.
    const auto answer = test::WithFileSizeLimit(40000, [&] {
        if (!bench->Canvas().ShowFolderPicture(bluePath)) return std::string("not shown");
        const DrawPlan drawn = bench->Canvas().Draw();
        if (!drawn.drawPicture) return std::string("nothing drawn");
        // Rows are stored bottom-up: a file cut short lacks the top ones.
        const int w = drawn.picture.width(), h = drawn.picture.height();
        const bool allBlue = drawn.picture.pixelColor(w / 2, 3) == blue &&
                             drawn.picture.pixelColor(w / 2, h / 2) == blue &&
                             drawn.picture.pixelColor(w / 2, h - 4) == blue;
        return std::to_string(w) + " x " + std::to_string(h) + (allBlue ? " blue" : " not blue");
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "130 x 185 blue");
    EXPECT_FALSE(fs::exists(session->Paths().forCut));
}

// A picture the flash model refuses to place (here its byte total has fallen out of step with
// its records) gets no SourcePathList entry: entry k must stay the source of picture k + 1.
TEST_F(AddFaultsTest, SourcePathOnlyForAPictureTheAlbumHolds) {
    FrameImageOptions options;
    options.flashKb = 384;  // 188 KB for pictures, a few noise pictures
    Attach(options);
    int n = 0;
    while (n < 20 && ShowAndAdd(Save(test::Noise(128, 128, unsigned(n + 1)), "n.bmp"))) ++n;
    ASSERT_GE(n, 2);
    ASSERT_LT(n, 20);
    FlashModel& model = session->Connection().Model();
    model.SetTotalStoredBytes(0);  // the room check now lets a picture through that cannot fit
    fe.Clear();

    EXPECT_FALSE(ShowAndAdd(Save(test::Noise(128, 128, 99), "last.bmp")));
    EXPECT_EQ(Count(), n);
    EXPECT_EQ(session->Folder().SourcePathCount(), size_t(n));
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(n + 1)));
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{"Can not add this picture!"});
    EXPECT_FALSE(session->State().m_bAdding);
    EXPECT_TRUE(bench->Adder().AddButtonEnabled());
}

}  // namespace
}  // namespace framewise
