// A delete whose synchronize is cut short after the index block was erased: the runs that
// follow say so and offer the backup, "restore --unfinished" (or --yes at any attach) puts the
// album back, rewriting only the index block, and nothing is left to put back afterwards.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "album/AlbumCommands.h"
#include "album/FrameSession.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryCommands, ACutShortDeleteIsToldAndPutBack) {
    test::TempDir dir;
    const fs::path image = dir / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    {
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        std::vector<std::vector<uint8_t>> streams;
        for (int seed = 1; seed <= 6; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
        test::PokeAlbum(*frame, 0x30000, streams);
    }
    const auto original = test::FileBytes(image);
    // Where the delete's synchronize sends its last commands, counted in this process: the
    // program of the index block is the second last, after its erase.
    uint64_t read = 0, written = 0;
    {
        RecordingFrontend fe;
        FrameSession session(fe);
        FrameSessionOptions options;
        options.workRoot = dir / "count";
        options.simulateImage = image;
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        options.backupRoot = dir / "count-backups";
        ASSERT_TRUE(session.Open(options, error) && session.AttachAndRead()) << error;
        read = session.Simulated()->TotalCommands();
        AlbumCommands commands(session.Folder(), session.List(), session.Connection().Model(),
                               session.State(), fe, session.GetLanguage(), [](int) {});
        session.List().SetItemSelected(0, true);
        ASSERT_TRUE(commands.DeleteSelected().deleted);
        ASSERT_TRUE(session.Synchronize());
        written = session.Simulated()->TotalCommands();
    }
    auto cut = [&]() -> std::vector<uint8_t> {
        std::ofstream(image, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(original.data()),
                   std::streamsize(original.size()));
        const auto run = test::RunFrameCli(
            image, dir / "work", "--sim-fault unplug@" + std::to_string(written - 1) + " delete 1",
            dir / "err.txt");
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_TRUE(SetImagePlugged(image, true, error)) << error;
        const auto flash = test::FileBytes(image);
        EXPECT_TRUE(test::FlashIndex(flash, 0x30000).empty());  // the index block is erased
        return flash;
    };
    const auto damaged = cut();
    ASSERT_GT(written - 1, read);

    // Without a terminal the offer is answered No; the run says how to restore later.
    auto info = test::RunFrameCli(image, dir / "work", "info", dir / "err.txt");
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.err.find("assumed No: The last synchronize of this frame did not finish"),
              std::string::npos)
        << info.err;
    EXPECT_NE(info.err.find(", 6 pictures)"), std::string::npos);
    EXPECT_NE(info.err.find("framewise-cli restore --unfinished"), std::string::npos);
    EXPECT_NE(info.out.find("Pictures:       0 "), std::string::npos);

    auto restore = test::RunFrameCli(image, dir / "work", "restore --unfinished", dir / "err.txt");
    ASSERT_EQ(restore.code, 0) << restore.err;
    EXPECT_NE(restore.out.find("(1 of 1 album blocks rewritten)"), std::string::npos)
        << restore.out;
    EXPECT_NE(restore.out.find("The frame holds 6 pictures"), std::string::npos);
    auto restored = test::FileBytes(image);
    // The index block is back; flash from the next block on was never rewritten.
    EXPECT_TRUE(std::equal(original.begin() + 0x30000, original.begin() + 0x40000,
                           restored.begin() + 0x30000));
    EXPECT_TRUE(std::equal(damaged.begin() + 0x40000, damaged.end(), restored.begin() + 0x40000));

    auto again = test::RunFrameCli(image, dir / "work", "restore", dir / "err.txt");
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("nothing to put back"), std::string::npos) << again.err;

    // --yes answers the offer of any run: the album is back before the command goes on.
    cut();
    info = test::RunFrameCli(image, dir / "work", "--yes info", dir / "err.txt");
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.err.find("back into the frame"), std::string::npos) << info.err;
    EXPECT_NE(info.out.find("Pictures:       6 "), std::string::npos) << info.out;
}

}  // namespace
}  // namespace framewise
