// Add and batch add against a simulated frame: the budgeted encode, the room and capacity
// checks, the batch's stop rules, and what the frame shows after a synchronize.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>
#include <random>

#include "ImagePsnr.h"
#include "WorkbenchFixture.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::GuiThread;
using test::Noise;
using test::PhotoLike;
using test::Psnr;

class AddPictureTest : public test::WorkbenchFixture {};

TEST_F(AddPictureTest, SingleAddStoresThePictureAndMovesOnInTheFolderList) {
    Attach(FrameImageOptions{});
    const std::string photo = Save(PhotoLike(800, 600), "a.bmp");
    FolderSelection& folder = bench->FolderList();
    folder.m_strFolderPrefix = (dir.path() / "").string();
    folder.items = {"x.bmp", "y.bmp", "a.bmp"};
    folder.selected = {false, false, true};

    // Nothing happens before a picture is shown, or while another Add runs.
    EXPECT_FALSE(bench->Adder().AddPicture());
    ASSERT_TRUE(bench->Canvas().ShowFolderPicture(photo));
    session->State().m_bAdding = true;
    EXPECT_FALSE(bench->Adder().AddPicture());
    session->State().m_bAdding = false;

    ASSERT_TRUE(bench->Adder().AddPicture());
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(session->State().m_bAdding);
    EXPECT_TRUE(session->State().m_bModified);
    EXPECT_TRUE(bench->Adder().AddButtonEnabled());
    EXPECT_EQ(bench->Adder().AddingNumber(), 0);
    // The album file is the decoded stream at the LCD size; the stream waits in the store.
    const fs::path album = session->Folder().FilePath(1);
    EXPECT_EQ(QImage(QString::fromStdString(album.string())).size(), QSize(128, 128));
    EXPECT_EQ(session->Folder().SourcePathList(), std::vector<std::string>{album.string()});
    const FlashModel& model = session->Connection().Model();
    EXPECT_EQ(model.Record(0).state, kStateToWrite);
    EXPECT_EQ(model.Record(0).address, 0x30000 + 4096);
    EXPECT_EQ(size_t(model.TotalStoredBytes()), fs::file_size(session->Paths().jpgTmp));
    EXPECT_EQ(bench->Adder().LastQuality(), 90);  // capacity 500: the first stream is taken
    // After the last folder picture the first is selected.
    EXPECT_EQ(folder.SelectedIndices(), std::vector<int>{0});
    EXPECT_EQ(folder.selectionMark, 0);
    EXPECT_TRUE(fe.Messages().empty());

    // A double-click outside the frame does nothing; inside it adds and keeps the selection.
    const Rect frame = bench->Canvas().Crop().m_rcCrop;
    EXPECT_FALSE(bench->Adder().AddByDoubleClick({frame.left - 5, frame.top - 5}));
    EXPECT_TRUE(bench->Adder().AddByDoubleClick({frame.left + 3, frame.top + 3}));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(folder.SelectedIndices(), std::vector<int>{0});
    EXPECT_TRUE(bench->Adder().m_bAdvance);
}

TEST_F(AddPictureTest, QualityStepsDownToTheBudgetOnASmallAlbum) {
    // 512 KB of flash, 100 numbers: ((512 - 192 - 4) * 1024) / 100 = 3235 bytes each.
    FrameImageOptions options;
    options.flashKb = 512;
    options.capacity = 100;
    Attach(options);
    const std::string noise = Save(Noise(128, 128, 7), "noise.bmp");
    EXPECT_FALSE(ShowAndAdd(noise));
    EXPECT_EQ(bench->Adder().Budget(), 3235);
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{"Can not add this picture!"});
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(1)));
    EXPECT_FALSE(session->State().m_bAdding);
    EXPECT_TRUE(bench->Adder().AddButtonEnabled());
    EXPECT_EQ(session->Connection().Model().TotalStoredBytes(), 0);

    // A flat picture fits at a lower quality than the slider's.
    QImage flat(300, 200, QImage::Format_RGB32);
    flat.fill(QColor(90, 140, 200));
    QPainter(&flat).fillRect(0, 0, 150, 200, QColor(200, 60, 40));
    bench->Adder().SetJpgQuality(100);
    ASSERT_TRUE(ShowAndAdd(Save(flat, "flat.bmp")));
    EXPECT_LE(bench->Adder().LastStreamSize(), 3235u);
    EXPECT_LT(bench->Adder().LastQuality(), 100);
    EXPECT_EQ(bench->Adder().LastQuality() % 10, 0);
}

TEST_F(AddPictureTest, CapacityFiveHundredTakesTheFirstStreamAndTheRoomCheckDecides) {
    FrameImageOptions options;
    options.flashKb = 256;  // 60 KB for pictures
    Attach(options);
    // Far over the 122-byte share, yet taken at the slider's quality.
    ASSERT_TRUE(ShowAndAdd(Save(Noise(128, 128, 1), "n1.bmp")));
    EXPECT_EQ(bench->Adder().LastQuality(), 90);
    EXPECT_GT(bench->Adder().LastStreamSize(), 122u);
    // Noise pictures of ~15+ KB: the flash runs out after a few, with one message.
    int added = 1;
    for (int i = 2; i < 12 && ShowAndAdd(Save(Noise(128, 128, i), "n.bmp")); ++i) ++added;
    EXPECT_LT(added, 11);
    EXPECT_EQ(Count(), added);
    EXPECT_EQ(MemFull(), 1);
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(added + 1)));
    EXPECT_FALSE(fs::exists(session->Paths().jpgTmp));
    EXPECT_FALSE(session->State().m_bAdding);
}

// The frame's quality byte becomes the slider position, inside the slider's range.
TEST_F(AddPictureTest, DeviceQualityIsKeptToTheSliderRange) {
    FrameImageOptions options;
    options.quality = 0;
    Attach(options);
    EXPECT_EQ(bench->Adder().JpgQuality(), 10);
    ASSERT_TRUE(ShowAndAdd(Save(PhotoLike(200, 150), "p.bmp")));
    EXPECT_EQ(bench->Adder().LastQuality(), 10);

    options.quality = 255;
    bench.reset();
    session.reset();
    fs::remove(image);
    Attach(options);
    EXPECT_EQ(bench->Adder().JpgQuality(), 100);
}

TEST_F(AddPictureTest, FullAlbumRefusesASingleAdd) {
    FrameImageOptions options;
    options.capacity = 2;
    Attach(options);
    const std::string pic = Save(PhotoLike(200, 150), "p.bmp");
    ASSERT_TRUE(ShowAndAdd(pic));
    ASSERT_TRUE(ShowAndAdd(pic));
    EXPECT_EQ(MemFull(), 0);
    EXPECT_FALSE(ShowAndAdd(pic));
    EXPECT_EQ(MemFull(), 1);
    EXPECT_EQ(Count(), 2);
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(3)));
    EXPECT_FALSE(session->State().m_bAdding);
    EXPECT_TRUE(bench->Adder().AddButtonEnabled());
}

TEST_F(AddPictureTest, BatchStopsAtCapacityWithTheMessageByPosition) {
    FrameImageOptions options;
    options.capacity = 3;
    Attach(options);
    const std::string pic = Save(PhotoLike(200, 150), "p.bmp");

    // Two of two: room for the next one, no message.
    EXPECT_EQ(bench->AddAll({pic, pic}), 2);
    EXPECT_EQ(bench->Adder().BatchCount(), 2);
    EXPECT_EQ(MemFull(), 0);
    EXPECT_EQ(fe.Events().back(), "ProcessFinish");
    EXPECT_EQ(session->Folder().SourcePathCount(), 2u);
    // The album fills at the first of three: not inside the batch, batch count 3: silent.
    EXPECT_EQ(bench->AddAll({pic, pic, pic}), 1);
    EXPECT_EQ(MemFull(), 0);
    EXPECT_EQ(Count(), 3);
    // At capacity the Add itself refuses, once, and the batch adds nothing more.
    EXPECT_EQ(bench->AddAll({pic, pic, pic}), 0);
    EXPECT_EQ(MemFull(), 1);
    EXPECT_EQ(Count(), 3);
    EXPECT_FALSE(session->State().m_bBatchAdding);
    EXPECT_FALSE(session->State().m_bAdding);
    EXPECT_EQ(session->Folder().SourcePathCount(), 3u);  // only pictures that were added

    // A fresh album of 2: the stop after the second of four lies inside the batch.
    Reopen();
    FrameImageOptions two;
    two.capacity = 2;
    fs::remove(image);
    Attach(two);
    const int before = MemFull();
    EXPECT_EQ(bench->AddAll({pic, pic, pic, pic}), 2);
    EXPECT_EQ(MemFull(), before + 1);
}

// A new run (the command line's add) finds the album full before it ever had a budget: the
// user is told the album is full, not that the picture cannot be added.
TEST_F(AddPictureTest, BatchOnAnAlbumFoundFullSaysSo) {
    FrameImageOptions options;
    options.capacity = 2;
    Attach(options);
    const std::string pic = Save(PhotoLike(200, 150), "p.bmp");
    ASSERT_EQ(bench->AddAll({pic, pic}), 2);
    ASSERT_TRUE(session->Synchronize());
    Reopen();
    ASSERT_EQ(Count(), 2);
    const size_t before = fe.Messages().size();
    EXPECT_EQ(bench->AddAll({pic}), 0);
    ASSERT_EQ(fe.Messages().size(), before + 1);
    EXPECT_EQ(fe.Messages().back().rfind("The maximum number", 0), 0u) << fe.Messages().back();
    EXPECT_EQ(Count(), 2);
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(3)));
    EXPECT_FALSE(session->State().m_bAdding);
}

TEST_F(AddPictureTest, FirstBatchPictureFillingTheAlbumTellsTheUser) {
    FrameImageOptions options;
    options.capacity = 1;
    Attach(options);
    EXPECT_EQ(bench->AddAll({Save(PhotoLike(200, 150), "p.bmp")}), 1);
    EXPECT_EQ(bench->Adder().BatchCount(), 1);
    EXPECT_EQ(MemFull(), 1);
}

TEST_F(AddPictureTest, SeveralSelectedFolderPicturesBecomeABatchOnItsOwnThread) {
    Attach(FrameImageOptions{});
    Save(PhotoLike(300, 200), "a.bmp");
    Save(PhotoLike(200, 300), "b.jpg", "JPG");
    FolderSelection& folder = bench->FolderList();
    folder.m_strFolderPrefix = (dir.path() / "").string();
    folder.items = {"a.bmp", "skip.bmp", "b.jpg"};
    folder.selected = {true, false, true};
    std::vector<bool> controls;
    bench->Adder().SetEnableControls([&](bool on) { controls.push_back(on); });

    ASSERT_TRUE(bench->Canvas().ShowFolderPicture((dir / "a.bmp").string()));
    EXPECT_FALSE(bench->Adder().AddPicture());  // a batch instead
    EXPECT_EQ(fe.Events().back(), "ReceivePic");
    EXPECT_EQ(bench->Adder().AddQueue(),
              (std::vector<std::string>{(dir / "a.bmp").string(), (dir / "b.jpg").string()}));
    EXPECT_EQ(folder.SelectedCount(), 3);
    EXPECT_EQ(controls, std::vector<bool>{false});
    EXPECT_EQ(Count(), 0);

    GuiThread gui;
    const std::thread::id guiId = std::this_thread::get_id();
    bool allOnGui = true;
    fe.window = [&](const std::function<void()>& step) {
        gui.Post([&] {
            allOnGui = allOnGui && std::this_thread::get_id() == guiId;
            step();
        });
    };
    ASSERT_TRUE(bench->Batch().Start());
    // The window acts on "ProcessFinish", the worker's last act: joining it there is instant.
    gui.Pump([&] { return LastEvent() == "ProcessFinish"; });
    bench->Batch().Finish();
    EXPECT_TRUE(allOnGui);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(fe.Events().back(), "ProcessFinish");
    EXPECT_EQ(controls.back(), true);
    EXPECT_EQ(session->Folder().SourcePathList(),
              (std::vector<std::string>{(dir / "a.bmp").string(), (dir / "b.jpg").string()}));
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{1});
}

TEST_F(AddPictureTest, DroppedFilesQueueABatch) {
    Attach(FrameImageOptions{});
    const std::string pic = Save(PhotoLike(200, 150), "Photo.JPG", "JPG");
    Save(PhotoLike(200, 150), "notes.txt", "BMP");
    session->State().m_bBatchAdding = true;
    EXPECT_FALSE(bench->Adder().DropFiles({pic}));  // swallowed while a batch runs
    session->State().m_bBatchAdding = false;
    ASSERT_TRUE(bench->Adder().DropFiles({pic, (dir / "notes.txt").string()}));
    EXPECT_EQ(fe.Events().back(), "ReceivePic");
    EXPECT_EQ(bench->Adder().AddQueue(), std::vector<std::string>{pic});  // the path as given
    bench->Batch().RunSynchronously();
    bench->Batch().Finish();
    EXPECT_EQ(Count(), 1);
}

TEST_F(AddPictureTest, CroppedPhotoComesBackFromTheFrameAsTheCentreOfThePicture) {
    Attach(FrameImageOptions{});
    const QImage photo = PhotoLike(2400, 1800);
    const std::string path = Save(photo, "photo.jpg", "JPG");
    bench->SetFitMode(FitMode::Crop);
    ASSERT_EQ(bench->AddAll({path}), 1);
    // A 4:3 picture comes up at the LCD height: 170 x 128, shown 172 x 128.
    ASSERT_EQ(bench->Canvas().ShownSize(), (Size{172, 128}));
    const Size shown{172, 128};
    ASSERT_TRUE(session->Synchronize());

    Reopen();  // a new run reads the album from the frame
    ASSERT_EQ(Count(), 1);
    const QImage back = QImage(QString::fromStdString(session->Folder().FilePath(1).string()))
                            .convertToFormat(QImage::Format_RGB32);
    // The reference: the photo scaled to the shown size in one step, its centre 128 x 128.
    const QImage scaled =
        photo.scaled(shown.width, shown.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage reference =
        scaled.copy((shown.width - 128) / 2, (shown.height - 128) / 2, 128, 128);
    const double psnr = Psnr(back, reference);
    RecordProperty("psnr_db", std::to_string(psnr));
    EXPECT_GE(psnr, 30.0);
}

// A JPEG file with an EXIF block that says "rotate 90 degrees clockwise to show".
std::string JpegWithOrientation6(const QImage& stored, const fs::path& file) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    stored.save(&buffer, "JPG", 95);
    const unsigned char tiff[] = {'I',  'I',  42, 0, 8, 0, 0, 0,  // little-endian, IFD at 8
                                  1,    0,                        // one entry
                                  0x12, 0x01, 3,  0, 1, 0, 0, 0, 6, 0, 0, 0,  // Orientation = 6
                                  0,    0,    0,  0};
    QByteArray app1("Exif\0\0", 6);
    app1.append(reinterpret_cast<const char*>(tiff), sizeof tiff);
    const int length = app1.size() + 2;
    QByteArray segment;
    segment.append(char(0xFF)).append(char(0xE1)).append(char(length >> 8)).append(char(length));
    segment.append(app1);
    jpeg.insert(2, segment);
    std::ofstream(file, std::ios::binary).write(jpeg.constData(), jpeg.size());
    return file.string();
}

TEST_F(AddPictureTest, PhoneOrientationComesOutUpright) {
    Attach(FrameImageOptions{});
    // Stored on its side: red on top, blue below; upright, blue is left and red right.
    QImage stored(320, 160, QImage::Format_RGB32);
    stored.fill(QColor(0, 0, 230));
    QPainter(&stored).fillRect(0, 0, 320, 80, QColor(230, 0, 0));
    const std::string path = JpegWithOrientation6(stored, dir / "phone.jpg");
    bench->SetFitMode(FitMode::Stretch);
    ASSERT_EQ(bench->AddAll({path}), 1);
    ASSERT_TRUE(session->Synchronize());
    Reopen();
    ASSERT_EQ(Count(), 1);
    const QImage back(QString::fromStdString(session->Folder().FilePath(1).string()));
    ASSERT_EQ(back.size(), QSize(128, 128));
    const QColor left = back.pixelColor(20, 64), right = back.pixelColor(108, 64);
    EXPECT_GT(left.blue(), 180);
    EXPECT_LT(left.red(), 60);
    EXPECT_GT(right.red(), 180);
    EXPECT_LT(right.blue(), 60);
}

}  // namespace
}  // namespace framewise
