#include <gtest/gtest.h>

#include "device/CommandBlocks.h"
#include "device/SgTransport.h"

using namespace framewise;

TEST(SgTransport, HeaderFilledForEachDirection) {
    sg_io_hdr_t hdr;
    SgRequestBuffers buffers;
    uint8_t data[4096];
    CommandBlock cdb = ReadBlock(0x03, 0x30000, 4096);
    ASSERT_TRUE(FillSgIoHeader(hdr, buffers, SgDirection::In, cdb.data(), 16, 4096, data));
    EXPECT_EQ(hdr.interface_id, 'S');
    EXPECT_EQ(hdr.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(hdr.cmd_len, 16);
    EXPECT_EQ(hdr.mx_sb_len, 26);
    EXPECT_EQ(hdr.sbp, buffers.sense.data());
    EXPECT_EQ(hdr.dxfer_len, 4096u);
    EXPECT_EQ(hdr.dxferp, data);
    EXPECT_EQ(hdr.timeout, 200000u);
    EXPECT_EQ(hdr.iovec_count, 0);
    EXPECT_EQ(std::vector<uint8_t>(hdr.cmdp, hdr.cmdp + 16),
              std::vector<uint8_t>(cdb.begin(), cdb.end()));

    cdb = PageProgramBlock(0x02, 0x30000, 64, true);
    ASSERT_TRUE(FillSgIoHeader(hdr, buffers, SgDirection::Out, cdb.data(), 16, 64, data));
    EXPECT_EQ(hdr.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(hdr.cmdp[15], 2);

    // A data-out without data is a command without data.
    cdb = WriteEnableBlock();
    ASSERT_TRUE(FillSgIoHeader(hdr, buffers, SgDirection::Out, cdb.data(), 16, 0, nullptr));
    EXPECT_EQ(hdr.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(hdr.dxferp, nullptr);
    EXPECT_EQ(hdr.dxfer_len, 0u);

    // Malformed requests never reach the kernel.
    EXPECT_FALSE(FillSgIoHeader(hdr, buffers, SgDirection::In, cdb.data(), 17, 0, nullptr));
    EXPECT_FALSE(FillSgIoHeader(hdr, buffers, SgDirection::In, cdb.data(), 0, 0, nullptr));
    EXPECT_FALSE(FillSgIoHeader(hdr, buffers, SgDirection::In, cdb.data(), 16, 64, nullptr));
}

TEST(SgTransport, LostCommandsAreFailures) {
    sg_io_hdr_t hdr{};
    EXPECT_TRUE(SgRequestDelivered(hdr));
    hdr.status = 0x02;         // check condition: delivered, status not examined
    hdr.driver_status = 0x08;  // sense data came back
    EXPECT_TRUE(SgRequestDelivered(hdr));
    hdr.host_status = 0x01;  // no connect: the device is gone
    EXPECT_FALSE(SgRequestDelivered(hdr));
    hdr.host_status = 0x03;  // time-out
    EXPECT_FALSE(SgRequestDelivered(hdr));
    hdr.host_status = 0;
    hdr.driver_status = 0x06;  // driver time-out
    EXPECT_FALSE(SgRequestDelivered(hdr));
    // A transport on no descriptor fails instead of crashing.
    SgTransport none(-1);
    CommandBlock cdb = WakeBlock();
    EXPECT_FALSE(none.SendDataOut(cdb.data(), 16, 0, nullptr));
}
