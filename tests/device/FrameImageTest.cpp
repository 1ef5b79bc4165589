#include <cstdlib>
#include <fstream>
#include <iterator>

#include "DeviceTestSupport.h"
#include "device/ByteOrder.h"
#include "device/FrameImage.h"

using namespace framewise;
using namespace framewise::test;
namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> Load(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectHeader(const std::vector<uint8_t>& f, uint32_t index, uint32_t w, uint32_t h,
                  uint32_t flashKb, uint32_t capacity, uint8_t format, uint8_t quality) {
    ASSERT_EQ(f.size(), flashKb * 1024u);
    EXPECT_EQ(GetLe24(&f[32]), index);
    EXPECT_EQ(GetLe16(&f[35]), w);
    EXPECT_EQ(GetLe16(&f[37]), h);
    EXPECT_EQ(f[39], 0xD8);
    EXPECT_EQ(f[40], 0);
    EXPECT_EQ(GetLe24(&f[43]), flashKb * 1024u);
    EXPECT_EQ(GetLe16(&f[46]), capacity);
    EXPECT_EQ(f[48], format);
    EXPECT_EQ(f[49], quality);
    // Protected area below the index, erased flash from the index on: no "TQFS" magic.
    EXPECT_EQ(f[index - 1], 0x00);
    for (uint32_t a = index; a < f.size(); a += 4093) ASSERT_EQ(f[a], 0xFF) << a;
}
}  // namespace

TEST(FrameImage, DefaultsAtTheHeaderOffsets) {
    TempFolder dir;
    std::string error;
    const fs::path image = dir.path() / "frame.img";
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    auto f = Load(image);
    ExpectHeader(f, 0x30000, 128, 128, 2048, 0, 1, 90);
    // The 2 MB size field is the bytes 00 00 20.
    EXPECT_EQ(f[43], 0x00);
    EXPECT_EQ(f[44], 0x00);
    EXPECT_EQ(f[45], 0x20);
    std::ifstream side(FirmwareSidecarPath(image));
    std::string line;
    std::getline(side, line);
    EXPECT_EQ(line, kDefaultSimulatedFirmware);
    // An existing image (perhaps a backup) is never overwritten.
    EXPECT_FALSE(CreateFrameImage(image, FrameImageOptions{}, error));
    EXPECT_NE(error.find("exists"), std::string::npos);
}

TEST(FrameImage, RefusesImpossibleLayouts) {
    auto problem = [](auto change) {
        FrameImageOptions o;
        change(o);
        return !CheckFrameImageOptions(o).empty();
    };
    EXPECT_FALSE(problem([](FrameImageOptions&) {}));
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.flashKb = 100; }));
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.flashKb = 16384; }));  // beyond 24 bits
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.indexAddress = 2048 * 1024 - 100; }));
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.indexAddress = 0; }));
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.lcdWidth = 0; }));
    EXPECT_TRUE(problem([](FrameImageOptions& o) { o.firmware = std::string(32, 'v'); }));
}

#ifdef FRAMEWISE_CLI_PATH
TEST(FrameImage, SimCreateCommand) {
    TempFolder dir;
    const fs::path image = dir.path() / "cli.img";
    const std::string cli = FRAMEWISE_CLI_PATH;
    std::string command = "'" + cli + "' sim create '" + image.string() +
                          "' --lcd 320x240 --flash 4096 --index-address 0x40000 --capacity 200"
                          " --format 2 --quality 75 --firmware V9.1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ExpectHeader(Load(image), 0x40000, 320, 240, 4096, 200, 2, 75);

    // The simulated frame answers the firmware text given.
    command = "'" + cli + "' --simulate '" + image.string() + "' devices > '" +
              (dir.path() / "out.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(dir.path() / "out.txt");
    std::string header, row;
    std::getline(out, header);
    std::getline(out, row);
    EXPECT_NE(row.find("\tV9.1"), std::string::npos) << row;

    auto exitCode = [&](const std::string& args) {
        int status = std::system(("'" + cli + "' " + args + " 2>/dev/null >/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string other = "'" + (dir.path() / "x.img").string() + "'";
    EXPECT_EQ(exitCode("sim create " + other + " --lcd 128"), 2);
    EXPECT_EQ(exitCode("sim create " + other + " --flash 100"), 2);
    EXPECT_EQ(exitCode("sim create"), 2);
    EXPECT_EQ(exitCode("sim create '" + image.string() + "'"), 1);  // exists
    EXPECT_FALSE(fs::exists(dir.path() / "x.img"));
    EXPECT_EQ(exitCode("sim plug"), 2);
    EXPECT_EQ(exitCode("sim unplug " + other), 1);  // no such image
    EXPECT_FALSE(fs::exists(dir.path() / "x.img.unplugged"));
    const std::string simulate = "--simulate '" + image.string() + "' ";
    EXPECT_EQ(exitCode(simulate + "--sim-fault melt@3 devices"), 2);
    EXPECT_EQ(exitCode(simulate + "--sim-fault unplug@0 devices"), 2);
    EXPECT_EQ(exitCode("--sim-fault unplug@1 devices"), 2);  // no simulated frame
    // devices reads the firmware version with the run's first command.
    EXPECT_EQ(exitCode(simulate + "--sim-fault fail-transfer@1 devices"), 0);
}
#endif
