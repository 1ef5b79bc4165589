// The batch as a window drives it: accepted on the window's thread, its pictures added there
// while the worker waits, refused pictures skipped, a stop between pictures, its progress,
// and its end joined from the "ProcessFinish" handler.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <atomic>
#include <fstream>

#include "WorkbenchFixture.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::GuiThread;
using test::PhotoLike;

class BatchAddTest : public test::WorkbenchFixture {
  protected:
    // A picture a 3235-byte budget takes at some quality.
    std::string Flat(const std::string& name, QColor colour) {
        QImage flat(300, 200, QImage::Format_RGB32);
        flat.fill(colour);
        QPainter(&flat).fillRect(0, 0, 150, 200, QColor(200, 60, 40));
        return Save(flat, name);
    }
    // Runs the accepted batch on its own thread with the test's thread as the window's;
    // afterEach runs on the window's thread after each picture's step. Returns once the
    // "ProcessFinish" handler (Finish, which joins the worker) has run.
    void RunOnWindow(const std::function<void(int step)>& afterEach = {}) {
        GuiThread gui;
        int steps = 0;
        fe.window = [&](const std::function<void()>& step) {
            gui.Post([&] {
                step();
                if (afterEach) afterEach(++steps);
            });
        };
        ASSERT_TRUE(bench->Batch().Start());
        gui.Pump([&] { return LastEvent() == "ProcessFinish"; });
        bench->Batch().Finish();
        fe.window = {};
    }
    int Events(const std::string& name) { return fe.Count("event", name); }
};

// A refused first picture (over its budget at every quality), one that cannot be shown, and
// the pictures after them: the refused ones are skipped and the others added.
TEST_F(BatchAddTest, RefusedPicturesAreSkippedAndTheBatchGoesOn) {
    FrameImageOptions options;
    options.flashKb = 512;
    options.capacity = 100;  // 3235 bytes a picture
    Attach(options);
    const std::string noise = Save(test::Noise(128, 128, 7), "noise.bmp");
    const std::string broken = (dir / "broken.jpg").string();
    std::ofstream(broken) << "not a picture";
    const std::string a = Flat("a.bmp", QColor(90, 140, 200));
    const std::string b = Flat("b.bmp", QColor(20, 160, 60));

    EXPECT_EQ(bench->AddAll({noise, a, broken, b}), 2);
    std::vector<bool> added;
    for (const BatchItem& item : bench->Batch().Items()) added.push_back(item.added);
    EXPECT_EQ(added, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(session->Folder().SourcePathList(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(fe.Messages(),
              (std::vector<std::string>{"Can not add this picture!", "The picture is destroyed!"}));
    EXPECT_TRUE(session->State().m_bModified);

    // A batch that adds nothing leaves the album as the frame holds it.
    ASSERT_TRUE(session->Synchronize());
    ASSERT_FALSE(session->State().m_bModified);
    EXPECT_EQ(bench->AddAll({noise, broken}), 0);
    EXPECT_FALSE(session->State().m_bModified);
    EXPECT_EQ(Count(), 2);
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(3)));
}

// The user stops the batch after k pictures: exactly those k are in the album folder, the
// list, the flash model and SourcePathList, and the batch ends as usual.
TEST_F(BatchAddTest, StopAfterThePictureInHand) {
    Attach(FrameImageOptions{});
    std::vector<std::string> queue;
    for (int i = 0; i < 5; ++i)
        queue.push_back(Save(PhotoLike(300 + 10 * i, 200), "p" + std::to_string(i) + ".bmp"));
    const int k = 2;
    fe.Clear();
    ASSERT_TRUE(bench->Adder().AcceptBatch(queue));
    RunOnWindow([&](int step) {
        if (step == k) bench->Batch().RequestStop();
    });

    EXPECT_TRUE(bench->Batch().Stopped());
    EXPECT_EQ(bench->Batch().Added(), k);
    EXPECT_EQ(Count(), k);
    ASSERT_TRUE(session->Folder().EnumerateAlbumFolder());
    EXPECT_EQ(session->Folder().AlbumNames(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(session->Folder().SourcePathList(), (std::vector<std::string>{queue[0], queue[1]}));
    const FlashModel& model = session->Connection().Model();
    EXPECT_EQ(model.Record(0).state, kStateToWrite);
    EXPECT_EQ(model.Record(1).state, kStateToWrite);
    EXPECT_NE(model.Record(2).inUse, 1);
    EXPECT_EQ(size_t(model.TotalStoredBytes()),
              bench->Batch().Items()[0].size + bench->Batch().Items()[1].size);
    EXPECT_FALSE(session->State().m_bBatchAdding);
    EXPECT_TRUE(session->State().m_bModified);
    EXPECT_EQ(Events("ProcessFinish"), 1);
    // Its progress: a status per picture begun and the bar's position per picture done.
    EXPECT_EQ(fe.Texts("status"), (std::vector<std::string>{"1 / 5", "2 / 5"}));
    std::vector<long> positions;
    long range = 0;
    for (const auto& e : fe.Entries()) {
        if (e.kind == "progress") positions.push_back(e.value);
        if (e.kind == "range") range = e.value;
    }
    EXPECT_EQ(range, 100);  // per cent, as the transfers keep the bar
    EXPECT_EQ(positions, (std::vector<long>{0, 20, 40, 0}));

    // What was added is written to the frame as it is.
    ASSERT_TRUE(session->Synchronize());
    Reopen();
    EXPECT_EQ(Count(), k);
}

TEST_F(BatchAddTest, StopBeforeTheWorkerStartsAndAStrayStop) {
    Attach(FrameImageOptions{});
    const std::string pic = Save(PhotoLike(300, 200), "p.bmp");
    // Stopped between the drop and "ReceivePic": nothing is added and the batch still ends.
    ASSERT_TRUE(bench->Adder().DropFiles({pic}));
    bench->Batch().RequestStop();
    bench->Batch().RunSynchronously();
    bench->Batch().Finish();
    EXPECT_TRUE(bench->Batch().Stopped());
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(session->State().m_bModified);
    EXPECT_FALSE(session->State().m_bBatchAdding);
    EXPECT_EQ(Events("ProcessFinish"), 1);

    // A stop asked for when no batch runs does not stop the next one.
    bench->Batch().RequestStop();
    EXPECT_EQ(bench->AddAll({pic}), 1);
    EXPECT_FALSE(bench->Batch().Stopped());
}

// The batch counts as running from the moment it is accepted on the window's thread, so that
// nothing slips in before its worker starts; the worker's end clears it.
TEST_F(BatchAddTest, MarkedRunningWhereItIsAccepted) {
    Attach(FrameImageOptions{});
    const std::string pic = Save(PhotoLike(300, 200), "p.bmp");
    ASSERT_TRUE(ShowAndAdd(pic));  // something to synchronize
    std::vector<bool> controls;
    bench->Adder().SetEnableControls([&](bool on) { controls.push_back(on); });

    ASSERT_TRUE(bench->Adder().DropFiles({pic, pic}));
    EXPECT_TRUE(session->State().m_bBatchAdding);
    EXPECT_EQ(LastEvent(), "ReceivePic");
    EXPECT_EQ(controls, std::vector<bool>{false});
    // Before "ReceivePic" is handled: a second drop and a Synchronize are refused.
    EXPECT_FALSE(bench->Adder().DropFiles({pic}));
    EXPECT_FALSE(session->Synchronize());
    EXPECT_EQ(bench->Adder().AddQueue(), (std::vector<std::string>{pic, pic}));

    std::atomic<bool> flagSeenOnWindow{true};
    RunOnWindow(
        [&](int) { flagSeenOnWindow = flagSeenOnWindow && session->State().m_bBatchAdding; });
    EXPECT_TRUE(flagSeenOnWindow);
    EXPECT_FALSE(session->State().m_bBatchAdding);
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(controls.back(), true);
    EXPECT_EQ(Events("ReceivePic"), 1);
    EXPECT_EQ(Events("ProcessFinish"), 1);
    EXPECT_TRUE(session->Synchronize());
}

}  // namespace
}  // namespace framewise
