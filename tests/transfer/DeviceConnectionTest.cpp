#include "TransferTestSupport.h"
#include "device/DeviceLink.h"

namespace framewise::test {
namespace {

TEST(DeviceConnection, AttachSizesEverythingFromTheHeader) {
    FrameImageOptions o;
    o.lcdWidth = 130;
    o.lcdHeight = 97;
    o.flashKb = 2048;
    o.capacity = 0;
    o.quality = 77;
    o.format = 3;
    TransferRig rig(o);
    rig.state.m_bAttached = true;
    rig.connection->Attach();
    ASSERT_TRUE(rig.connection->IsConnected());
    const DeviceInfo& info = rig.connection->Info();
    EXPECT_EQ(info.capacity, 500);
    EXPECT_EQ(info.flashSizeKB, 2048);
    EXPECT_EQ(info.indexAddress, 0x30000);
    EXPECT_EQ(info.m_nJpgQuality, 77);
    EXPECT_EQ(info.formatValue, 3);
    EXPECT_EQ(info.firmwareVersion, kDefaultSimulatedFirmware);
    EXPECT_EQ(rig.connection->Model().DeviceImage().size(), 2u * 1024 * 1024);
    EXPECT_EQ(rig.connection->Model().PictureStore().size(), 2u * 1024 * 1024);
    EXPECT_EQ(rig.connection->Model().BlockFlags().size(), 32u);
    EXPECT_EQ(info.Width4(), 132);
    EXPECT_EQ(info.Height4(), 100);
    EXPECT_EQ(rig.connection->FrameBuffer.size(), 118800u);
    EXPECT_EQ(rig.connection->StreamBuffer.size(), 118800u);

    EXPECT_EQ(rig.fe.LastStatus(), "DPF Attach!!");
    EXPECT_EQ(rig.fe.Events(), std::vector<std::string>{"DPFAttach"});
    EXPECT_TRUE(rig.state.m_bReading);
    EXPECT_TRUE(rig.state.m_bReady);
    EXPECT_EQ(rig.settings.ReadInt("LCD", "Width", 0), 130);
    EXPECT_EQ(rig.settings.ReadInt("LCD", "Height", 0), 97);
    EXPECT_EQ(rig.settings.ReadInt("info", "FlashSize", 0), 2048);
    EXPECT_EQ(rig.settings.ReadText("info", "FirmwareVer", ""), kDefaultSimulatedFirmware);
    EXPECT_EQ(rig.commands->EraseOpcode(), 0xD8);
}

TEST(DeviceConnection, AlbumThumbnailHeightFollowsTheLcdShape) {
    FrameImageOptions o;
    o.lcdWidth = 128;
    o.lcdHeight = 160;
    TransferRig rig(o, "ThumbWidth=96\nThumbColumn=3\nSThumbWidth=80\nSThumbColumn=4\n");
    rig.connection->Attach();
    ASSERT_TRUE(rig.connection->IsConnected());
    EXPECT_EQ(rig.connection->Thumbnails().thumbWidth, 96);
    EXPECT_EQ(rig.connection->ThumbHeight(), 120);
    EXPECT_EQ(rig.connection->SThumbHeight(), 80);
}

TEST(DeviceConnection, UnreadableVerifyValueStopsOnlyAnArrivalAttach) {
    // Commands of an attach: clock, firmware version, READ header, status, verify value.
    for (bool arrival : {false, true}) {
        SCOPED_TRACE(arrival ? "arrival" : "start-up");
        TransferRig rig;
        rig.state.m_bAttached = arrival;
        for (int i = 0; i < 4; ++i) rig.frame->InjectFault(SimFault::FailTransfer, 5 + i);
        rig.connection->Attach();
        const int shown = rig.fe.Count("status", "Cannot read the verify value from the DPF!");
        EXPECT_EQ(shown, arrival ? 1 : 0);
        EXPECT_EQ(rig.connection->IsConnected(), !arrival);
    }
}

TEST(DeviceConnection, ThirdHeaderReadIsUsedAfterThreeMismatches) {
    TransferRig rig;
    for (int i = 0; i < 3; ++i) rig.frame->InjectFault(SimFault::FlipReadBit, 1);
    rig.connection->Attach();
    ASSERT_TRUE(rig.connection->IsConnected());
    EXPECT_EQ(rig.connection->Info().header[0], rig.frame->Flash()[0] ^ 0x01);
}

// A header field changed after the image was made, as a damaged frame would report it.
void PokeHeader(TransferRig& rig, uint32_t offset, std::vector<uint8_t> bytes) {
    ASSERT_TRUE(rig.frame->Poke(offset, bytes));
}

TEST(DeviceConnection, UnusableHeadersAreRefusedWithTheirMessages) {
    struct Case {
        const char* name;
        uint32_t offset;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const std::string lcd = "LCD width is 0, it must have something wrong with your DPF!";
    const Case cases[] = {
        {"width 0", kHeaderLcdWidth, {0, 0}, lcd.c_str()},
        {"height 0", kHeaderLcdHeight, {0, 0}, lcd.c_str()},
        {"width 4096", kHeaderLcdWidth, {0x00, 0x10}, lcd.c_str()},
        {"index past the flash",
         kHeaderIndexAddress,
         {0x00, 0x00, 0xF0},
         "Allocate memory failed!"},
        {"flash size 0", kHeaderFlashSize, {0, 0, 0}, "Allocate memory failed!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig rig;
        PokeHeader(rig, c.offset, c.bytes);
        rig.connection->Attach();
        EXPECT_FALSE(rig.connection->IsConnected());
        EXPECT_FALSE(rig.connection->Model().IsAllocated());
        EXPECT_EQ(rig.fe.Messages(), std::vector<std::string>{c.message});
        EXPECT_TRUE(rig.fe.Events().empty());
    }
}

TEST(DeviceConnection, CapacityBeyondTheIndexIsClampedAndAFailedClockIsReported) {
    TransferRig rig;
    PokeHeader(rig, kHeaderCapacity, {0xD0, 0x07});  // 2000
    rig.connection->Attach();
    EXPECT_EQ(rig.connection->Info().capacity, 510);

    TransferRig offline;
    offline.frame->InjectFault(SimFault::FailTransfer, 1);
    offline.connection->Attach();
    EXPECT_FALSE(offline.connection->IsConnected());
    EXPECT_EQ(offline.fe.Messages(), std::vector<std::string>{"Synchronize time failed!"});
}

TEST(DeviceConnection, DetachShowsTheStateAndPrompts) {
    TransferRig rig;
    rig.state.m_bAttached = true;
    rig.state.m_bReady = false;
    rig.connection->Detach(true);
    EXPECT_FALSE(rig.state.m_bAttached);
    EXPECT_TRUE(rig.state.m_bReady);
    EXPECT_EQ(rig.fe.Texts("status"),
              (std::vector<std::string>{"DPF Detached!", "Please insert the DPF device!"}));
    EXPECT_EQ(rig.enabled, std::vector<bool>{false});
}

}  // namespace
}  // namespace framewise::test

namespace framewise::test {
namespace {

TEST(DeviceConnection, AttachesAndReadsThroughTheDeviceLink) {
    TransferRig rig;
    auto stream = EncodeStream(128, 128, 4);
    PokeAlbum(*rig.frame, 0x30000, {stream});
    DeviceLinkOptions options;
    options.simulatedFrame = rig.frame;
    options.useUdev = false;
    DeviceLink link(rig.fe, options);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(link.IsPresent());
    DeviceCommands commands(link);
    DeviceConnection connection(*rig.context, commands);
    AlbumReader reader(connection, *rig.album, rig.decoder);
    rig.state.m_bAttached = true;
    connection.Attach();
    ASSERT_TRUE(connection.IsConnected());
    reader.ReadAlbum();
    EXPECT_EQ(rig.album->Files(), std::vector<std::string>{"0001.bmp"});
    EXPECT_EQ(rig.fe.Events().back(), "FinishThread");
    link.Teardown();
}

}  // namespace
}  // namespace framewise::test
