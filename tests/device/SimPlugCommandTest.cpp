// framewise-cli sim unplug and sim plug, run in another process while this one holds the
// simulated frame as a running window does.
#include <poll.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "DeviceTestSupport.h"
#include "config/RecordingFrontend.h"
#include "device/DeviceLink.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"

#ifdef FRAMEWISE_CLI_PATH

using namespace framewise;
using namespace framewise::test;
namespace fs = std::filesystem;

namespace {

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

CliResult Cli(const TempFolder& dir, const std::string& args) {
    const fs::path out = dir.path() / "out.txt", err = dir.path() / "err.txt";
    const std::string command = "'" + std::string(FRAMEWISE_CLI_PATH) + "' " + args + " >'" +
                                out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    CliResult run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    run.out = read(out);
    run.err = read(err);
    return run;
}

std::string Quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

}  // namespace

TEST(SimPlugCommand, AnotherProcessPullsTheFrameOutOfARunningProgramAndBack) {
    TempFolder dir;
    const fs::path image = dir.path() / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    // This process holds the image (and its lock) the whole time, as the window does.
    auto frame = SimulatedFrame::Open(image, error);
    ASSERT_TRUE(frame) << error;
    RecordingFrontend fe;
    DeviceLinkOptions o;
    o.simulatedFrame = frame;
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    auto wakes = [&] {
        pollfd p{link.NotificationFd(), POLLIN, 0};
        return ::poll(&p, 1, 5000) == 1;  // the event is there when the command has ended
    };
    const CommandBlock wake = WakeBlock();

    CliResult run = Cli(dir, "sim unplug " + Quoted(image));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Unplugged " + image.string() + "\n");
    EXPECT_FALSE(link.SendDataOut(wake.data(), 16, 0, nullptr));
    ASSERT_TRUE(wakes());
    link.HandleNotification();
    EXPECT_FALSE(link.IsPresent());
    EXPECT_EQ(fe.Events(), std::vector<std::string>{"HIDDEVICECHANGE"});

    run = Cli(dir, "sim plug " + Quoted(image));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Plugged in " + image.string() + "\n");
    ASSERT_TRUE(wakes());
    link.HandleNotification();
    EXPECT_TRUE(link.IsPresent());
    const auto entries = fe.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].value, 0);
    EXPECT_EQ(entries[1].value, 1);
    EXPECT_TRUE(link.SendDataOut(wake.data(), 16, 0, nullptr));
}

TEST(SimPlugCommand, AnUnpluggedImageHasNoFrameForLaterRunsAndBadUseIsRefused) {
    TempFolder dir;
    const fs::path image = dir.path() / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    const std::string simulate = "--simulate " + Quoted(image) + " ";

    ASSERT_EQ(Cli(dir, "sim unplug " + Quoted(image)).code, 0);
    ASSERT_EQ(Cli(dir, "sim unplug " + Quoted(image)).code, 0);  // already out: stays out
    CliResult run = Cli(dir, simulate + "devices");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("no picture frame is plugged in"), std::string::npos) << run.err;
    ASSERT_EQ(Cli(dir, "sim plug " + Quoted(image)).code, 0);
    ASSERT_EQ(Cli(dir, "sim plug " + Quoted(image)).code, 0);
    run = Cli(dir, simulate + "devices");
    EXPECT_EQ(run.code, 0) << run.err;

    EXPECT_EQ(Cli(dir, "sim plug").code, 2);
    EXPECT_EQ(Cli(dir, "sim unplug " + Quoted(image) + " extra").code, 2);
    EXPECT_EQ(Cli(dir, "sim unplug --force").code, 2);
    EXPECT_EQ(Cli(dir, "sim pull " + Quoted(image)).code, 2);
    run = Cli(dir, "sim unplug " + Quoted(dir.path() / "missing.img"));
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("missing.img"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(UnpluggedMarkerPath(dir.path() / "missing.img")));
    run = Cli(dir, "sim --help");
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("sim unplug IMAGE"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("sim plug IMAGE"), std::string::npos) << run.out;
}

TEST(SimPlugCommand, SimFaultOptionArmsTheFrameOrSaysWhatIsWrong) {
    TempFolder dir;
    const fs::path image = dir.path() / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    const std::string simulate = "--simulate " + Quoted(image) + " ";

    // devices reads the firmware version with the first command.
    CliResult run = Cli(dir, simulate + "--sim-fault fail-transfer@1 devices");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("\t(unknown)\n"), std::string::npos) << run.out;
    run = Cli(dir, simulate + "--sim-fault fail-transfer@2 --sim-fault unplug@1 devices");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("\t(unknown)\n"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(UnpluggedMarkerPath(image)));
    ASSERT_TRUE(SetImagePlugged(image, true, error)) << error;
    run = Cli(dir, simulate + "--sim-fault fail-transfer@2 devices");
    EXPECT_NE(run.out.find("\tSIM 1.05\n"), std::string::npos) << run.out;

    run = Cli(dir, simulate + "--sim-fault melt@3 devices");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("--sim-fault \"melt@3\""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("unplug"), std::string::npos) << run.err;
    EXPECT_EQ(Cli(dir, simulate + "--sim-fault unplug@0 devices").code, 2);
    EXPECT_EQ(Cli(dir, simulate + "devices --sim-fault").code, 2);
    EXPECT_EQ(Cli(dir, simulate + "--sim-fault").code, 2);
    run = Cli(dir, "--sim-fault unplug@1 devices");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("--simulate"), std::string::npos) << run.err;
    run = Cli(dir, "--help");
    EXPECT_NE(run.out.find("--sim-fault KIND@N"), std::string::npos);
    EXPECT_NE(run.out.find("testing aid"), std::string::npos);
}

#endif
