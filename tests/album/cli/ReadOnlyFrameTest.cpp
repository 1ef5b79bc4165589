// framewise-cli against a frame whose album index does not start a 64 KB block: the album is
// read and saved, every write is refused before the frame is touched.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "codec/BmpFile.h"
#include "device/SimulatedFrame.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

TEST(ReadOnlyFrame, ReadsAndSavesButNeverWrites) {
    test::TempDir dir;
    const fs::path image = dir / "frame.img";
    auto cli = [&](const std::string& args) {
        return test::RunFrameCli(image, dir / "work", args, dir / "stderr.txt",
                                 "XDG_DATA_HOME='" + (dir / "data").string() + "'");
    };
    test::CliRun create = cli("sim create '" + image.string() + "' --index-address 0x31000");
    ASSERT_EQ(create.code, 0) << create.err;
    std::vector<std::vector<uint8_t>> streams = {test::EncodeStream(128, 128, 1),
                                                 test::EncodeStream(128, 128, 2)};
    {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        test::PokeAlbum(*frame, 0x31000, streams);
    }
    const auto before = test::FileBytes(image);
    const std::string refusal =
        "This frame keeps its album index at 0x31000, which does not start a 64 KB flash "
        "block: its pictures can be viewed and saved, but the album cannot be changed or "
        "written to the frame.\n";

    test::CliRun pull = cli("pull '" + (dir / "out").string() + "'");
    ASSERT_EQ(pull.code, 0) << pull.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "0001.bmp"));
    EXPECT_TRUE(fs::exists(dir / "out" / "0002.bmp"));

    test::CliRun del = cli("delete 1");
    EXPECT_EQ(del.code, 1);
    EXPECT_NE(del.err.find(refusal), std::string::npos) << del.err;

    const auto pixels = test::TestPixels(128, 128, 5);
    ASSERT_TRUE(WriteBmp24(dir / "new.bmp", 128, 128, pixels.data(), 0));
    test::CliRun add = cli("add '" + (dir / "new.bmp").string() + "'");
    EXPECT_EQ(add.code, 1);
    EXPECT_NE(add.err.find(refusal), std::string::npos) << add.err;

    test::CliRun move = cli("move 2 up");
    EXPECT_NE(move.err.find(refusal), std::string::npos) << move.err;

    EXPECT_EQ(test::FileBytes(image), before);
    EXPECT_FALSE(fs::exists(dir / "data" / "framewise" / "backups"));
    test::CliRun info = cli("info");
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Pictures:       2 ("), std::string::npos) << info.out;
}

}  // namespace
}  // namespace framewise
