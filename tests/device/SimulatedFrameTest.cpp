#include <chrono>
#include <fstream>
#include <iterator>
#include <numeric>

#include "DeviceTestSupport.h"
#include "config/RecordingFrontend.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/SimulatedFrame.h"

using namespace framewise;
using namespace framewise::test;
namespace fs = std::filesystem;

namespace {

uint32_t Sum(const uint8_t* p, size_t n) {
    return std::accumulate(p, p + n, 0u) & 0xFFFF;
}

// A fresh 1 MB simulated frame behind a started DeviceLink and its DeviceCommands.
struct Rig {
    TempFolder dir;
    fs::path image = dir.path() / "frame.img";
    std::shared_ptr<SimulatedFrame> frame;
    RecordingFrontend fe;
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<DeviceCommands> cmd;

    explicit Rig(FrameImageOptions options = Small()) {
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, options, error)) << error;
        frame = SimulatedFrame::Open(image, error);
        EXPECT_TRUE(frame) << error;
        DeviceLinkOptions o;
        o.simulatedFrame = frame;
        link = std::make_unique<DeviceLink>(fe, o);
        link->Start();
        cmd = std::make_unique<DeviceCommands>(*link);
        cmd->SetWaitReadyLimit(std::chrono::milliseconds(200));
    }
    static FrameImageOptions Small() {
        FrameImageOptions o;
        o.flashKb = 1024;
        o.firmware = "1.0.5";
        return o;
    }
    std::vector<uint8_t> Read(uint32_t address, uint32_t length) {
        std::vector<uint8_t> data(ReadBufferLength(length));
        EXPECT_EQ(cmd->ReadFlash(data.data(), length, address), kStatusOk);
        data.resize(length);
        return data;
    }
    uint32_t Verify(uint32_t address, uint32_t length) {
        uint8_t high = 0, low = 0;
        EXPECT_TRUE(cmd->ReadVerifyValue(address, length, high, low));
        return high * 256u + low;
    }
    std::vector<uint8_t> FileBytes() const {
        std::ifstream in(image, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return v;
}

}  // namespace

TEST(SimulatedFrame, EraseProgramReadVerifyRoundTrip) {
    Rig rig;
    EXPECT_EQ(rig.frame->FlashSize(), 1024u * 1024);
    std::string version;
    EXPECT_TRUE(rig.cmd->ReadFirmwareVersion(version));
    EXPECT_EQ(version, "1.0.5");
    EXPECT_TRUE(rig.cmd->SetClock(ClockTime{2009, 3, 5, 14, 7, 9}, -480));
    ASSERT_EQ(rig.frame->ClockBlocks().size(), 1u);
    EXPECT_EQ(rig.frame->ClockBlocks()[0][15], 0x14);
    EXPECT_TRUE(rig.cmd->Wake());
    EXPECT_EQ(rig.frame->WakeCount(), 1);

    const auto data = Pattern(70000, 3);  // spans two blocks
    EXPECT_EQ(rig.cmd->EraseBlock(0x40000), kStatusOk);
    EXPECT_EQ(rig.cmd->EraseBlock(0x50000), kStatusOk);
    EXPECT_EQ(rig.cmd->WriteFlash(data.data(), 70000, 0x40010), kStatusOk);
    EXPECT_EQ(rig.Read(0x40010, 70000), data);
    EXPECT_EQ(rig.Verify(0x40010, 65536), Sum(data.data(), 65536));
    EXPECT_EQ(rig.Verify(0x40010, 100), Sum(data.data(), 100));
    // Erased bytes around the data read back as 0xFF.
    EXPECT_EQ(rig.Read(0x40000, 16), std::vector<uint8_t>(16, 0xFF));

    EXPECT_EQ(rig.frame->EraseAddresses(), (std::vector<uint32_t>{0x40000, 0x50000}));
    ASSERT_EQ(rig.frame->Programs().size(), 1u);
    EXPECT_EQ(rig.frame->Programs()[0].address, 0x40010u);
    EXPECT_EQ(rig.frame->Programs()[0].length, 70000u);
    EXPECT_EQ(rig.frame->Programs()[0].flagByte, 0);

    // Every write has reached the image file, byte for byte.
    EXPECT_EQ(rig.FileBytes(), rig.frame->Flash());
    // Erasing the block again brings back 0xFF in the whole 64 KB block only.
    EXPECT_EQ(rig.cmd->EraseBlock(0x4FFFF), kStatusOk);
    auto flash = rig.frame->Flash();
    EXPECT_EQ(flash[0x40010], 0xFF);
    EXPECT_EQ(flash[0x50000], data[0x50000 - 0x40010]);
}

TEST(SimulatedFrame, FlashBehavesLikeSerialFlash) {
    Rig rig;
    const uint8_t first[] = {0xF0, 0xFF, 0x0F};
    const uint8_t second[] = {0x3C, 0x00, 0xFF};
    EXPECT_EQ(rig.cmd->EraseBlock(0x30000), kStatusOk);
    EXPECT_EQ(rig.cmd->WriteFlash(first, 3, 0x30000), kStatusOk);
    EXPECT_EQ(rig.cmd->WriteFlash(second, 3, 0x30000), kStatusOk);  // no erase between
    EXPECT_EQ(rig.Read(0x30000, 3), (std::vector<uint8_t>{0x30, 0x00, 0x0F}));

    // After erase and program the status register reads busy for a while, then idle.
    EXPECT_EQ(rig.cmd->EraseBlock(0x30000), kStatusOk);
    int before = rig.frame->StatusReads();
    EXPECT_TRUE(rig.cmd->WaitReady());
    EXPECT_EQ(rig.frame->StatusReads() - before, 3);

    // Without the write-enable preamble the flash ignores a program; a command the firmware
    // does not know fails the transfer; a data-in command sent as data-out fails too.
    const uint8_t zero = 0;
    CommandBlock program = PageProgramBlock(0x02, 0x30000, 1, false);
    EXPECT_TRUE(rig.link->SendDataOut(program.data(), 16, 1, &zero));
    EXPECT_EQ(rig.frame->Flash()[0x30000], 0xFF);
    CommandBlock unknown = Bytes({0x12});
    uint8_t reply[64];
    EXPECT_FALSE(rig.link->SendDataIn(unknown.data(), 16, 64, reply));
    CommandBlock status = ReadStatusBlock();
    EXPECT_FALSE(rig.link->SendDataOut(status.data(), 16, 0, nullptr));
    CommandBlock badErase = BlockEraseBlock(0x20, 0x30000);  // this frame erases with 0xD8
    EXPECT_FALSE(rig.link->SendDataOut(badErase.data(), 16, 0, nullptr));

    // The program flag of the header's program mode reaches byte 15.
    rig.cmd->Configure(0xD8, 1);
    EXPECT_EQ(rig.cmd->WriteFlash(first, 3, 0x30100), kStatusOk);
    EXPECT_EQ(rig.frame->Programs().back().flagByte, 2);
}

TEST(SimulatedFrame, InjectedFaultsReachTheCommandSet) {
    Rig rig;
    const auto data = Pattern(4096, 9);
    ASSERT_EQ(rig.cmd->EraseBlock(0x30000), kStatusOk);
    ASSERT_EQ(rig.cmd->WriteFlash(data.data(), 4096, 0x30000), kStatusOk);
    std::vector<uint8_t> buffer(4096);

    // A failed transfer: the read answers 16, the next one works again.
    rig.frame->InjectFault(SimFault::FailTransfer, 1);
    EXPECT_EQ(rig.cmd->ReadFlash(buffer.data(), 4096, 0x30000), kStatusNoDevice);
    EXPECT_EQ(rig.Read(0x30000, 4096), data);
    // A failed erase command answers 32 (the preamble is three commands before it).
    rig.frame->InjectFault(SimFault::FailTransfer, 4);
    EXPECT_EQ(rig.cmd->EraseBlock(0x40000), kStatusEraseFailed);

    // A flipped bit in read data no longer matches the device's own sum.
    rig.frame->InjectFault(SimFault::FlipReadBit);
    auto read = rig.Read(0x30000, 4096);
    EXPECT_NE(read, data);
    EXPECT_NE(rig.Verify(0x30000, 4096), Sum(read.data(), read.size()));
    EXPECT_EQ(rig.Verify(0x30000, 4096), Sum(data.data(), data.size()));

    // A wrong verify value.
    rig.frame->InjectFault(SimFault::WrongVerify);
    EXPECT_NE(rig.Verify(0x30000, 4096), Sum(data.data(), data.size()));
    EXPECT_EQ(rig.Verify(0x30000, 4096), Sum(data.data(), data.size()));

    // A corrupted program: the command succeeds, the flash and its sum disagree with it.
    ASSERT_EQ(rig.cmd->EraseBlock(0x40000), kStatusOk);
    rig.frame->InjectFault(SimFault::CorruptProgram);
    EXPECT_EQ(rig.cmd->WriteFlash(data.data(), 4096, 0x40000), kStatusOk);
    EXPECT_NE(rig.Read(0x40000, 4096), data);
    EXPECT_NE(rig.Verify(0x40000, 4096), Sum(data.data(), data.size()));

    // A hung flash: WaitReady gives up and the read answers 16.
    rig.frame->SetStuckBusy(true);
    EXPECT_EQ(rig.cmd->ReadFlash(buffer.data(), 64, 0x30000), kStatusNoDevice);
    rig.frame->SetStuckBusy(false);

    // Unplugged during a write: the program command fails, and the link notices.
    rig.frame->InjectFault(SimFault::Unplug, 4);
    EXPECT_EQ(rig.cmd->WriteFlash(data.data(), 4096, 0x50000), kStatusNoDevice);
    EXPECT_FALSE(rig.frame->IsPlugged());
    EXPECT_TRUE(rig.frame->Programs().back().address != 0x50000u);
    rig.link->HandleNotification();
    EXPECT_FALSE(rig.link->IsPresent());
    EXPECT_EQ(rig.fe.Events(), std::vector<std::string>{"HIDDEVICECHANGE"});
    EXPECT_EQ(rig.cmd->ReadFlash(buffer.data(), 64, 0), kStatusNoDevice);

    // Cleared faults never fire.
    rig.frame->Plug();
    rig.link->HandleNotification();
    rig.frame->InjectFault(SimFault::FailTransfer, 1);
    rig.frame->ClearFaults();
    EXPECT_EQ(rig.Read(0x30000, 4096), data);
}

TEST(SimulatedFrame, LinkModelTakesTime) {
    Rig rig;
    rig.frame->SetLinkModel({std::chrono::microseconds(2000), 1000000});
    auto start = std::chrono::steady_clock::now();
    rig.Read(0x30000, 8192);  // two reads and a status poll: 3 x 2 ms + 8 ms of data
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(14));
}

TEST(SimulatedFrame, OpenRefusesWhatIsNoImage) {
    TempFolder dir;
    std::string error;
    EXPECT_FALSE(SimulatedFrame::Open(dir.path() / "missing.img", error));
    EXPECT_NE(error.find("missing.img"), std::string::npos);
    std::ofstream(dir.path() / "odd.img") << "not a flash";
    EXPECT_FALSE(SimulatedFrame::Open(dir.path() / "odd.img", error));

    // One program drives one image; without a firmware file the default text answers.
    FrameImageOptions o;
    o.flashKb = 64;
    o.indexAddress = 0x1000;
    ASSERT_TRUE(CreateFrameImage(dir.path() / "f.img", o, error)) << error;
    fs::remove(FirmwareSidecarPath(dir.path() / "f.img"));
    auto frame = SimulatedFrame::Open(dir.path() / "f.img", error);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->FirmwareVersion(), kDefaultSimulatedFirmware);
    EXPECT_FALSE(SimulatedFrame::Open(dir.path() / "f.img", error));
    frame.reset();
    EXPECT_TRUE(SimulatedFrame::Open(dir.path() / "f.img", error));
}
