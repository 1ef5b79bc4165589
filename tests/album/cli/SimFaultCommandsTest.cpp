// The frame commands run with a fault of the simulated frame armed from the command line: a
// run that a fault ends exits 1 with a message and claims nothing; a run whose checks mend the
// fault exits 0 with the frame holding exactly what it should.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "album/FrameSession.h"
#include "codec/BmpFile.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

// Where a run's commands fall, counted in this process on the same frame so that the table
// does not hard-code how many commands each step takes: none yet, the attach, the album read.
struct Phases {
    uint64_t start = 0, attach = 0, read = 0;
};

TEST(SimFaultCommands, AFaultThatEndsARunIsAFailureAndAMendedOneIsNot) {
    test::TempDir dir;
    const fs::path image = dir / "frame.img", other = dir / "other.img";
    std::vector<std::vector<uint8_t>> streams;
    for (int seed = 1; seed <= 5; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
    std::string error;
    for (const auto& [file, album] : {std::pair{image, std::vector{1, 2, 3}}, {other, {4, 5}}}) {
        ASSERT_TRUE(CreateFrameImage(file, FrameImageOptions{}, error)) << error;
        std::vector<std::vector<uint8_t>> pictures;
        for (int n : album) pictures.push_back(streams[n - 1]);
        auto frame = SimulatedFrame::Open(file, error);
        ASSERT_TRUE(frame) << error;
        test::PokeAlbum(*frame, 0x30000, pictures);
    }
    const fs::path picture = dir / "picture.bmp";
    ASSERT_TRUE(WriteBmp24(picture, 200, 150, test::TestPixels(200, 150, 7).data(), 2835));
    const std::vector<uint8_t> base = test::FileBytes(image);
    Phases phases;
    {
        RecordingFrontend fe;
        FrameSession session(fe);
        FrameSessionOptions options;
        options.workRoot = dir / "count";
        options.simulateImage = image;
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        ASSERT_TRUE(session.Open(options, error) && session.Arrive()) << error;
        phases.attach = session.Simulated()->TotalCommands();
        ASSERT_TRUE(session.ReadAlbum());
        phases.read = session.Simulated()->TotalCommands();
    }
    struct Row {
        std::string args;
        const char* kind;
        uint64_t Phases::*after;
        uint64_t plus;
        const char* error;       // a part of the message; null: the run succeeds
        std::vector<int> album;  // then the frame's pictures, by stream number
    };
    const std::string backup = (dir / "backup.img").string();
    const std::string pull = "pull '" + (dir / "pulled").string() + "'";
    const std::string add = "add '" + picture.string() + "'";
    const std::string restore = "restore '" + other.string() + "'";
    // clang-format off
    const Row rows[] = {
        {"info", "unplug", &Phases::start, 1, "could not be attached", {}},
        {pull, "unplug", &Phases::attach, 2, "reading the album", {}},
        {"info", "fail-transfer", &Phases::attach, 1, "reading the album", {}},
        {"info", "flip-read-bit", &Phases::attach, 1, nullptr, {1, 2, 3}},
        {"delete 2", "unplug", &Phases::read, 2, "synchronizing", {}},
        {"delete 2", "corrupt-program", &Phases::read, 1, nullptr, {1, 3}},
        {"move 3 up", "wrong-verify", &Phases::read, 1, nullptr, {1, 3, 2}},
        {add, "unplug", &Phases::read, 3, "could not be written", {}},
        {"backup '" + backup + "'", "unplug", &Phases::attach, 40, "reading the flash", {}},
        {restore, "unplug", &Phases::attach, 10, "writing the flash", {}},
        {restore, "corrupt-program", &Phases::attach, 1, nullptr, {4, 5}},
    };
    // clang-format on
    for (const Row& row : rows) {
        const std::string fault = row.kind + ("@" + std::to_string(phases.*row.after + row.plus));
        SCOPED_TRACE(fault + " " + row.args);
        std::ofstream(image, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(base.data()), std::streamsize(base.size()));
        ASSERT_TRUE(SetImagePlugged(image, true, error)) << error;
        // Each run starts without backups of the frame, as the counting session did: with
        // them, the attach would first look at the frame's index for a way back.
        const fs::path data = dir / ("data" + std::to_string(&row - rows));
        const test::CliRun run =
            test::RunFrameCli(image, dir / "work", "--sim-fault " + fault + " " + row.args,
                              dir / "err.txt", "XDG_DATA_HOME='" + data.string() + "'");
        if (!row.error) {
            EXPECT_EQ(run.code, 0) << run.err;
            std::vector<std::vector<uint8_t>> expected, held;
            for (int n : row.album) expected.push_back(streams[n - 1]);
            const auto flash = test::FileBytes(image);
            for (const auto& [address, length] : test::FlashIndex(flash, 0x30000))
                held.emplace_back(flash.begin() + address, flash.begin() + address + length);
            EXPECT_EQ(held, expected);
            continue;
        }
        EXPECT_EQ(run.code, 1) << run.out;
        EXPECT_NE(run.err.find("framewise-cli: "), std::string::npos);
        EXPECT_NE(run.err.find(row.error), std::string::npos) << run.err;
        for (const char* claim : {"Deleted", "Moved", "Saved", "Restored", "Total", "Pictures:"})
            EXPECT_EQ(run.out.find(claim), std::string::npos) << run.out;
        EXPECT_FALSE(fs::exists(backup));  // no partial backup passes for one
        if (std::string(row.kind) == "unplug") {
            // Pulled out, the frame stays out for the next run.
            const test::CliRun next = test::RunFrameCli(image, dir / "work", "info", dir / "e");
            EXPECT_NE(next.err.find("no picture frame is plugged in"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace framewise
