// The write plan against what the simulated frame is then told: the plan of a delete, of a
// move with a repack across blocks and of an add equals the erases and programs of the real
// synchronize, command for command; the estimate holds at a slow link; the restore's plan is
// what the restore writes; the flash budget after adding pictures.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "EditSessionSupport.h"
#include "album/AlbumCommands.h"
#include "transfer/FlashBackup.h"
#include "transfer/FlashBudget.h"
#include "transfer/WritePlan.h"

namespace framewise::test {
namespace {

class WritePlanTest : public EditSessionTest {
  protected:
    AlbumCommands Commands() {
        return AlbumCommands(session->Folder(), session->List(), session->Connection().Model(),
                             session->State(), fe, session->GetLanguage(),
                             [this](int c) { session->Store().UpdatePictureTotal(c); });
    }
    WritePlan Plan() {
        return PlanSynchronize(session->Connection(), session->List().ItemCount(),
                               session->GetSynchronizer().BackupRoot());
    }
    // Synchronizes and checks that the frame was told exactly what the plan said: the erases
    // and programs in order, and every command the plan counts (the backup's reads included).
    void ExpectSynchronizeFollows(const WritePlan& plan) {
        frame->ClearLog();
        ASSERT_TRUE(session->Synchronize());
        std::vector<uint32_t> erases;
        std::vector<std::pair<uint32_t, uint32_t>> programs;
        for (const PlannedBlock& b : plan.blocks) {
            if (b.erase) erases.push_back(b.address);
            programs.emplace_back(b.address, b.length);
        }
        std::vector<std::pair<uint32_t, uint32_t>> told;
        for (const auto& p : frame->Programs()) told.emplace_back(p.address, p.length);
        EXPECT_EQ(frame->EraseAddresses(), erases);
        EXPECT_EQ(told, programs);
        EXPECT_EQ(frame->TotalCommands(), plan.work.Commands());
    }
    std::vector<uint32_t> Addresses(const WritePlan& plan) {
        std::vector<uint32_t> a;
        for (const PlannedBlock& b : plan.blocks) a.push_back(b.address);
        return a;
    }
};

// Pictures of 128 x 128 test pixels are a few KB each: 24 of them reach past 0x40000.
constexpr int kPictures = 24;

TEST_F(WritePlanTest, DeleteMoveWithRepackAndAddArePlannedAsWritten) {
    OpenWith(kPictures);
    const FlashModel& model = session->Connection().Model();
    ASSERT_GT(model.UsedEnd(), 0x40000 + 0x4000) << "the album must reach into a second block";

    // Delete: no picture moves; only the index block is written, listing the rest.
    Select({2});
    ASSERT_TRUE(Commands().DeleteSelected().deleted);
    WritePlan plan = Plan();
    EXPECT_EQ(Addresses(plan), std::vector<uint32_t>{0x30000});
    EXPECT_TRUE(plan.blocks[0].index);
    EXPECT_EQ(plan.pictures, kPictures - 1);
    EXPECT_TRUE(plan.moved.empty());
    EXPECT_TRUE(plan.backup);
    EXPECT_EQ(plan.bytesSent, 65536u);
    ExpectSynchronizeFollows(plan);

    // Delete the first picture and move the last one up, then the repack an add makes when
    // the gap is needed: every picture after the first moves down, across the block border.
    Select({0});
    ASSERT_TRUE(Commands().DeleteSelected().deleted);
    const int count = session->List().ItemCount();
    Select({count - 1});
    ASSERT_TRUE(Commands().MoveUp());
    session->Connection().Model().Repack(count);
    plan = Plan();
    ASSERT_EQ(plan.moved.size(), static_cast<size_t>(count));
    EXPECT_TRUE(plan.added.empty());
    EXPECT_EQ(plan.blocks.back().address, 0x30000u);
    EXPECT_GE(plan.BlocksWritten(), 2);
    // The moved pictures that start past the index's block are written with their blocks,
    // those that start in it with the index block: every picture is in some planned block.
    std::vector<bool> covered(static_cast<size_t>(count) + 1, false);
    for (const PlannedBlock& b : plan.blocks)
        for (int n : b.pictures) covered[static_cast<size_t>(n)] = true;
    for (int n = 1; n <= count; ++n) EXPECT_TRUE(covered[static_cast<size_t>(n)]) << n;
    ExpectSynchronizeFollows(plan);

    // Add: the new picture's blocks and the index block.
    AddStream(*session, EncodeStream(128, 128, 99));
    plan = Plan();
    EXPECT_EQ(plan.added, std::vector<int>{count + 1});
    EXPECT_TRUE(plan.moved.empty());
    const PictureRecord& added = model.Record(count);
    const uint32_t first = static_cast<uint32_t>(added.address) / 65536 * 65536;
    const uint32_t last = static_cast<uint32_t>(added.address + added.length - 1) / 65536 * 65536;
    std::vector<uint32_t> expected;
    for (uint32_t b = first; b <= last; b += 65536)
        if (b != 0x30000) expected.push_back(b);
    expected.push_back(0x30000);
    EXPECT_EQ(Addresses(plan), expected);
    ExpectSynchronizeFollows(plan);

    // After a synchronize nothing is left to write but the index block.
    EXPECT_EQ(Addresses(Plan()), std::vector<uint32_t>{0x30000});
}

TEST_F(WritePlanTest, EstimateHoldsAtTheSimulatedLinksSpeed) {
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    // A slow link from the start, so that the album read is what the speed is measured from.
    auto slow = SimulatedFrame::Open(image, error);
    ASSERT_TRUE(slow) << error;
    for (int seed = 1; seed <= 12; ++seed) streams.push_back(EncodeStream(128, 128, seed));
    PokeAlbum(*slow, 0x30000, streams);
    slow.reset();
    session = OpenSession(fe, dir.path(), image);
    frame = session->Simulated().get();
    frame->SetLinkModel({std::chrono::microseconds(2000), 300000});
    ASSERT_TRUE(session->AttachAndRead());
    AddStream(*session, EncodeStream(128, 128, 50));
    AddStream(*session, EncodeStream(128, 128, 51));

    const WritePlan plan = PlanSynchronize(session->Connection(), session->List().ItemCount(),
                                           session->GetSynchronizer().BackupRoot());
    EXPECT_TRUE(plan.speedMeasured);
    // Compared with the time the simulated link charged for the synchronize's commands: the
    // wall time adds the backup's and journal's file writes, which a loaded or sanitized
    // build stretches at will.
    const auto linkBefore = frame->LinkTime();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(session->Synchronize());
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double link = std::chrono::duration<double>(frame->LinkTime() - linkBefore).count();
    EXPECT_NEAR(plan.seconds, link, 0.2 * link) << "planned " << plan.seconds << " s";
    std::printf(
        "write plan estimate %.3f s; the synchronize took %.3f s on the simulated link, "
        "%.3f s in all\n",
        plan.seconds, link, wall);
}

TEST_F(WritePlanTest, RestorePlanReadsTheFrameAndIsWhatTheRestoreWrites) {
    OpenWith(kPictures);
    // A synchronize that moves pictures leaves a backup of the album before it.
    Select({0});
    ASSERT_TRUE(Commands().DeleteSelected().deleted);
    session->Connection().Model().Repack(session->List().ItemCount());
    ASSERT_TRUE(session->Synchronize());
    const auto backups = ListFlashBackups(dir / "backups", session->Connection().Info());
    ASSERT_EQ(backups.size(), 1u);

    const uint64_t before = frame->TotalCommands();
    frame->ClearLog();
    WritePlan plan;
    std::string error;
    ASSERT_TRUE(PlanRestore(session->Connection(), backups[0], plan, error)) << error;
    EXPECT_TRUE(plan.readFrame);
    EXPECT_TRUE(frame->EraseAddresses().empty()) << "a plan writes nothing";
    EXPECT_TRUE(frame->Programs().empty());
    EXPECT_EQ(plan.pictures, kPictures);
    EXPECT_EQ(plan.blocks.back().address, 0x30000u);
    EXPECT_GE(plan.blocksRead, plan.BlocksWritten());
    (void)before;

    RestoreResult result;
    ASSERT_TRUE(session->Recovery().Restore(backups[0], error, &result)) << error;
    std::vector<uint32_t> planned;
    for (const PlannedBlock& b : plan.blocks) planned.push_back(b.address);
    EXPECT_EQ(frame->EraseAddresses(), planned);
    EXPECT_EQ(result.blocksWritten, plan.BlocksWritten());
    EXPECT_EQ(result.blocksCompared, plan.blocksRead);

    // Restored: the frame holds the backup's album, and a new plan has nothing to write.
    ASSERT_TRUE(PlanRestore(session->Connection(), backups[0], plan, error)) << error;
    EXPECT_TRUE(plan.blocks.empty());
}

TEST_F(WritePlanTest, BudgetAfterAddingPictures) {
    OpenWith(3);
    const DeviceInfo& info = session->Connection().Info();
    const FlashModel& model = session->Connection().Model();
    auto limit = [&] {
        return (2048L - 4) * 1024 - 0x30000 - static_cast<long>(model.TotalStoredBytes());
    };
    long total = 0;
    for (const auto& s : streams) total += static_cast<long>(s.size());
    for (int n = 1; n <= 4; ++n) {
        const auto stream = EncodeStream(128, 128, 40 + n);
        total += static_cast<long>(stream.size());
        AddStream(*session, stream);
        const FlashBudget b = ComputeFlashBudget(model, info, 3 + n, 90);
        const long average = (total + 3 + n - 1) / (3 + n);
        EXPECT_EQ(b.pictures, 3 + n);
        EXPECT_EQ(b.pictureBytes, average);
        EXPECT_FALSE(b.estimated);
        EXPECT_EQ(b.freeBytes, limit());
        EXPECT_EQ(b.usedBytes, 2048L * 1024 - limit());
        EXPECT_EQ(b.moreFit, (limit() - 1) / average);
        // As many more as it says fit, each of the average size, are taken by Add's rule;
        // one more is not.
        EXPECT_LT(static_cast<long>(b.moreFit) * average, limit());
        EXPECT_GE(static_cast<long>(b.moreFit + 1) * average, limit());
    }
}

TEST(FlashBudgetTest, EmptyAlbumIsEstimatedAndTheCapacityBounds) {
    RecordingFrontend fe;
    AppState state;
    FlashModel model(state);
    DeviceInfo info;
    info.lcdWidth = 128;
    info.lcdHeight = 128;
    info.flashSizeKB = 2048;
    info.capacity = 500;
    ASSERT_TRUE(model.Allocate(info));
    FlashBudget b = ComputeFlashBudget(model, info, 0, 90);
    EXPECT_TRUE(b.estimated);
    EXPECT_EQ(b.pictureBytes, EstimatedPictureBytes(128, 128, 90));
    // Higher quality, bigger pictures; a bigger LCD, bigger pictures.
    EXPECT_LT(EstimatedPictureBytes(128, 128, 50), EstimatedPictureBytes(128, 128, 90));
    EXPECT_LT(EstimatedPictureBytes(128, 128, 90), EstimatedPictureBytes(240, 320, 90));
    EXPECT_EQ(b.moreFit, std::min<long>(500, (b.freeBytes - 1) / b.pictureBytes));
    // A frame that takes 10 pictures: 7 in the album leave room for 3, however much flash.
    info.capacity = 10;
    b = ComputeFlashBudget(model, info, 7, 90);
    EXPECT_EQ(b.moreFit, 3);
    b = ComputeFlashBudget(model, info, 10, 90);
    EXPECT_EQ(b.moreFit, 0);
    // No frame attached: nothing fits.
    DeviceInfo none;
    none.flashSizeKB = 0;
    EXPECT_EQ(ComputeFlashBudget(model, none, 0, 90).moreFit, 0);
}

}  // namespace
}  // namespace framewise::test
