// framewise-cli delete and move against a simulated frame, each a whole run.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

class EditCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        for (int seed = 1; seed <= 5; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
        test::PokeAlbum(*frame, 0x30000, streams);
    }
    // The backups before each write go to the test folder.
    CliRun Cli(const std::string& args) {
        return test::RunFrameCli(image, dir / "work", args, {},
                                 "XDG_DATA_HOME='" + (dir / "data").string() + "'");
    }
    // The lengths of the frame's index entries, in album order.
    std::vector<uint32_t> IndexLengths() {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        std::vector<uint32_t> lengths;
        if (!frame) return lengths;
        for (const auto& [address, length] : test::FlashIndex(frame->Flash(), 0x30000))
            lengths.push_back(length);
        return lengths;
    }
    uint32_t Length(int number) { return static_cast<uint32_t>(streams[number - 1].size()); }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    std::vector<std::vector<uint8_t>> streams;
};

TEST_F(EditCommandsTest, DeleteAndMoveRewriteTheFrame) {
    CliRun del = Cli("delete 2 3");
    ASSERT_EQ(del.code, 0);
    EXPECT_EQ(del.out.rfind("Deleted 2 pictures (0002, 0003); the frame now holds 3\n"
                            "Total Pictures: 3 (",
                            0),
              0u)
        << del.out;
    EXPECT_EQ(IndexLengths(), (std::vector<uint32_t>{Length(1), Length(4), Length(5)}));

    CliRun move = Cli("move 3 up");
    ASSERT_EQ(move.code, 0);
    EXPECT_EQ(move.out.rfind("Moved picture 0003 up to 0002\nTotal Pictures: 3 (", 0), 0u)
        << move.out;
    EXPECT_EQ(IndexLengths(), (std::vector<uint32_t>{Length(1), Length(5), Length(4)}));

    CliRun still = Cli("move 1 up");
    ASSERT_EQ(still.code, 0);
    EXPECT_EQ(still.out.rfind("Picture 0001 is already first; nothing changed\n", 0), 0u)
        << still.out;
    EXPECT_EQ(IndexLengths(), (std::vector<uint32_t>{Length(1), Length(5), Length(4)}));
}

// A move the album refuses (here its files cannot be exchanged: a stray folder stands where
// the exchange puts a file aside) is a failure, not "already first/last".
TEST_F(EditCommandsTest, RefusedMoveIsAFailure) {
    fs::create_directories(dir / "work" / "PicsInMiniDPF" / "0002.bmp_tmp" / "stray");
    CliRun move = test::RunFrameCli(image, dir / "work", "move 2 down", dir / "stderr.txt",
                                    "XDG_DATA_HOME='" + (dir / "data").string() + "'");
    EXPECT_EQ(move.code, 1);
    EXPECT_EQ(move.out, "");
    EXPECT_NE(move.err.find("framewise-cli: picture 0002 could not be moved down; the frame was "
                            "not changed\n"),
              std::string::npos)
        << move.err;
    EXPECT_EQ(IndexLengths(),
              (std::vector<uint32_t>{Length(1), Length(2), Length(3), Length(4), Length(5)}));

    // At the end already: nothing to do, and that is a success.
    CliRun last = Cli("move 5 down");
    EXPECT_EQ(last.code, 0);
    EXPECT_EQ(last.out.rfind("Picture 0005 is already last; nothing changed\n", 0), 0u) << last.out;
}

// A dry run tells what the write would do and touches neither the frame nor the backups.
TEST_F(EditCommandsTest, DryRunsWriteNothing) {
    const auto before = test::FileBytes(image);
    CliRun del = Cli("delete 2 --dry-run");
    ASSERT_EQ(del.code, 0) << del.err;
    EXPECT_NE(del.out.find("Write plan (dry run: nothing was written to the frame)\n"),
              std::string::npos)
        << del.out;
    EXPECT_NE(del.out.find("index block;"), std::string::npos);
    EXPECT_NE(del.out.find("The frame then holds 4 pictures\n"), std::string::npos);
    // One block over the assumed link is a fraction of a second, not "about 0 s".
    EXPECT_NE(del.out.find("Summary: 1 block, 0 pictures moved, under 1 s\n"), std::string::npos)
        << del.out;

    CliRun move = Cli("move 1 down --dry-run --json");
    ASSERT_EQ(move.code, 0) << move.err;
    EXPECT_EQ(move.out.rfind("{\"kind\": \"synchronize\"", 0), 0u) << move.out;
    EXPECT_NE(move.out.find("\"pictures\": 5,"), std::string::npos) << move.out;
    EXPECT_NE(Cli("delete 1 --json").code, 0);  // --json only describes a plan

    EXPECT_EQ(test::FileBytes(image), before);
    std::error_code ec;
    EXPECT_TRUE(!fs::exists(dir / "data" / "framewise" / "backups", ec) ||
                fs::is_empty(dir / "data" / "framewise" / "backups", ec));
    EXPECT_EQ(IndexLengths().size(), 5u);
}

TEST_F(EditCommandsTest, BadArguments) {
    EXPECT_EQ(Cli("delete").code, 2);
    EXPECT_EQ(Cli("delete two").code, 2);
    EXPECT_EQ(Cli("delete 0").code, 2);
    EXPECT_EQ(Cli("move 1").code, 2);
    EXPECT_EQ(Cli("move 1 sideways").code, 2);
    EXPECT_EQ(Cli("delete 6").code, 1);
    EXPECT_EQ(Cli("move 6 down").code, 1);
    EXPECT_EQ(IndexLengths().size(), 5u);
}

// The commands print pictures as 0001 ...; typed back, "0010" is picture 10 (read as octal it
// deleted picture 0008).
TEST_F(EditCommandsTest, PictureNumbersAreReadAsTheirNames) {
    {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        for (int seed = 6; seed <= 10; ++seed)
            streams.push_back(test::EncodeStream(128, 128, seed));
        test::PokeAlbum(*frame, 0x30000, streams);
    }
    CliRun del = Cli("delete 0010");
    ASSERT_EQ(del.code, 0);
    EXPECT_EQ(del.out.rfind("Deleted 1 picture (0010); the frame now holds 9\n", 0), 0u) << del.out;
    std::vector<uint32_t> expected;
    for (int n = 1; n <= 9; ++n) expected.push_back(Length(n));
    EXPECT_EQ(IndexLengths(), expected);

    ASSERT_EQ(Cli("move 09 up").code, 0);
    std::swap(expected[7], expected[8]);
    EXPECT_EQ(IndexLengths(), expected);

    EXPECT_EQ(Cli("delete 0x2").code, 2);
    EXPECT_EQ(Cli("move -1 up").code, 2);
    EXPECT_EQ(IndexLengths(), expected);
}

}  // namespace
}  // namespace framewise
