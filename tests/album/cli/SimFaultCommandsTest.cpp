// Every command that works on the frame, run with a fault of the simulated frame armed from the
// command line: a run that a fault ends exits non-zero with a message and claims nothing; a
// run whose checks mend the fault exits 0 with the frame holding exactly what it should.
#include <gtest/gtest.h>

#include <functional>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "album/FrameSession.h"
#include "codec/BmpFile.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::FileBytes;

constexpr uint32_t kIndex = 0x30000;

// Where the commands of a run fall: the attach ends after `attach` commands, the album read
// after `read`. Counted on the same frame in this process, so that the table below does not
// hard-code how many commands each step takes.
struct Phases {
    uint64_t attach = 0;
    uint64_t read = 0;
};

class SimFaultCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
        ASSERT_TRUE(CreateFrameImage(other, FrameImageOptions{}, error)) << error;
        for (int seed = 1; seed <= 5; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
        {
            auto frame = SimulatedFrame::Open(image, error);
            ASSERT_TRUE(frame) << error;
            test::PokeAlbum(*frame, kIndex, {streams[0], streams[1], streams[2]});
            auto second = SimulatedFrame::Open(other, error);
            ASSERT_TRUE(second) << error;
            test::PokeAlbum(*second, kIndex, {streams[3], streams[4]});
        }
        base = FileBytes(image);
        const auto pixels = test::TestPixels(200, 150, 7);
        ASSERT_TRUE(WriteBmp24(picture, 200, 150, pixels.data(), 2835));
        CountPhases();
    }

    void CountPhases() {
        RecordingFrontend fe;
        FrameSession session(fe);
        FrameSessionOptions options;
        options.workRoot = dir / "count";
        options.simulateImage = image;
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        std::string error;
        ASSERT_TRUE(session.Open(options, error)) << error;
        ASSERT_TRUE(session.Arrive());
        phases.attach = session.Simulated()->TotalCommands();
        ASSERT_TRUE(session.ReadAlbum());
        phases.read = session.Simulated()->TotalCommands();
        ASSERT_GT(phases.read, phases.attach);
    }

    // The frame as the table's rows start from it: the three pictures, plugged in.
    void Reset() {
        std::ofstream(image, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(base.data()), static_cast<long>(base.size()));
        fs::remove(UnpluggedMarkerPath(image));
        fs::remove(dir / "backup.img");
        fs::remove_all(dir / "pulled");
    }

    CliRun Cli(const std::string& args) {
        return test::RunFrameCli(image, dir / "work", args, dir / "stderr.txt",
                                 "XDG_DATA_HOME='" + (dir / "data").string() + "'");
    }

    // The pictures the frame's index names, read straight out of the image file.
    std::vector<std::vector<uint8_t>> FramePictures() {
        const auto flash = FileBytes(image);
        std::vector<std::vector<uint8_t>> pictures;
        for (const auto& [address, length] : test::FlashIndex(flash, kIndex))
            pictures.emplace_back(flash.begin() + address, flash.begin() + address + length);
        return pictures;
    }
    std::vector<std::vector<uint8_t>> Streams(std::initializer_list<int> numbers) {
        std::vector<std::vector<uint8_t>> chosen;
        for (int n : numbers) chosen.push_back(streams[n - 1]);
        return chosen;
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    fs::path other = dir / "other.img";  // a backup of this frame with another album
    fs::path picture = dir / "picture.bmp";
    std::vector<std::vector<uint8_t>> streams;
    std::vector<uint8_t> base;
    Phases phases;
};

TEST_F(SimFaultCommandsTest, AFaultThatEndsARunIsAFailureAndAMendedOneIsNot) {
    struct Row {
        const char* name;
        std::string args;
        std::function<std::string(const Phases&)> fault;
        bool succeeds;
        const char* error;              // a part of stderr when the run fails
        std::function<void()> outcome;  // the frame (or file) afterwards, when it succeeds
    };
    auto at = [](const char* kind, std::function<uint64_t(const Phases&)> n) {
        return [kind, n](const Phases& p) { return kind + ("@" + std::to_string(n(p))); };
    };
    const std::string backup = (dir / "backup.img").string();
    const std::string pulled = (dir / "pulled").string();
    // clang-format off
    const Row rows[] = {
        {"info, frame gone at the first command", "info",
         at("unplug", [](auto&) { return 1; }), false, "could not be attached", {}},
        {"pull, frame gone in the album read", "pull '" + pulled + "'",
         at("unplug", [](auto& p) { return p.attach + 2; }), false, "reading the album", {}},
        {"info, the index read fails", "info",
         at("fail-transfer", [](auto& p) { return p.attach + 1; }), false, "reading the album",
         {}},
        {"info, a flipped bit read again", "info",
         at("flip-read-bit", [](auto& p) { return p.attach + 1; }), true, "",
         [&] { EXPECT_EQ(FramePictures(), Streams({1, 2, 3})); }},
        {"delete, frame gone in the write", "delete 2",
         at("unplug", [](auto& p) { return p.read + 2; }), false, "synchronizing", {}},
        {"delete, a corrupted program written again", "delete 2",
         at("corrupt-program", [](auto& p) { return p.read + 1; }), true, "",
         [&] { EXPECT_EQ(FramePictures(), Streams({1, 3})); }},
        {"move, frame gone in the write", "move 3 up",
         at("unplug", [](auto& p) { return p.read + 6; }), false, "synchronizing", {}},
        {"move, a wrong verify value asked again", "move 3 up",
         at("wrong-verify", [](auto& p) { return p.read + 1; }), true, "",
         [&] { EXPECT_EQ(FramePictures(), Streams({1, 3, 2})); }},
        {"add, frame gone in the write", "add '" + picture.string() + "'",
         at("unplug", [](auto& p) { return p.read + 3; }), false, "could not be written", {}},
        {"add, a corrupted program written again", "add '" + picture.string() + "'",
         at("corrupt-program", [](auto& p) { return p.read + 1; }), true, "",
         [&] {
             const auto pictures = FramePictures();
             ASSERT_EQ(pictures.size(), 4u);
             EXPECT_EQ(std::vector(pictures.begin(), pictures.begin() + 3), Streams({1, 2, 3}));
         }},
        {"backup, frame gone in the read", "backup '" + backup + "'",
         at("unplug", [](auto& p) { return p.attach + 40; }), false, "reading the flash",
         {}},
        {"backup, a flipped bit read again", "backup '" + backup + "'",
         at("flip-read-bit", [](auto& p) { return p.attach + 40; }), true, "",
         [&] { EXPECT_TRUE(FileBytes(backup) == base); }},
        {"restore, frame gone in the write", "restore '" + other.string() + "'",
         at("unplug", [](auto& p) { return p.attach + 10; }), false, "writing the flash", {}},
        {"restore, a corrupted program written again", "restore '" + other.string() + "'",
         at("corrupt-program", [](auto& p) { return p.attach + 1; }), true, "",
         [&] { EXPECT_EQ(FramePictures(), Streams({4, 5})); }},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        const std::string fault = row.fault(phases);
        const CliRun run = Cli("--sim-fault " + fault + " " + row.args);
        if (row.succeeds) {
            EXPECT_EQ(run.code, 0) << fault << ": " << run.err;
            if (row.outcome) row.outcome();
            continue;
        }
        EXPECT_EQ(run.code, 1) << fault << ": " << run.out;
        EXPECT_NE(run.err.find("framewise-cli: "), std::string::npos) << fault;
        EXPECT_NE(run.err.find(row.error), std::string::npos) << fault << ": " << run.err;
        // Nothing claims a success that did not happen.
        for (const char* claim :
             {"Deleted", "Moved", "Saved", "Restored", "Total pictures", "Wrote", "Pictures:"})
            EXPECT_EQ(run.out.find(claim), std::string::npos) << fault << ": " << run.out;
        EXPECT_FALSE(fs::exists(backup));
        if (fault.rfind("unplug", 0) == 0) {
            // The frame pulled out stays out for the next run, until it is plugged in again.
            const CliRun next = Cli("info");
            EXPECT_EQ(next.code, 1);
            EXPECT_NE(next.err.find("no picture frame is plugged in"), std::string::npos)
                << next.err;
        }
    }
}

}  // namespace
}  // namespace framewise
