#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "DeviceTestSupport.h"
#include "device/CommandBlocks.h"
#include "device/DeviceCommands.h"

using namespace framewise;
using namespace framewise::test;

TEST(CommandBlocks, EachCommandByteForByte) {
    EXPECT_EQ(ReadStatusBlock(), Bytes({0xCD, 0, 0, 0, 0, 0, 1, 0, 0, 64, 0x05}));
    EXPECT_EQ(WriteEnableBlock(), Bytes({0xCB, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x06}));
    EXPECT_EQ(WriteStatusBlock(0), Bytes({0xCB, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x01, 0}));
    EXPECT_EQ(ReadBlock(0x03, 0x123456, 4096),
              Bytes({0xCD, 0, 0, 0, 0, 0, 4, 0x00, 0x10, 0x00, 0x03, 0x12, 0x34, 0x56}));
    EXPECT_EQ(BlockEraseBlock(0x20, 0x030000),
              Bytes({0xCB, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x20, 0x03, 0x00, 0x00}));
    EXPECT_EQ(WakeBlock(), Bytes({0xCB, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0xAB}));
    EXPECT_EQ(FirmwareVersionBlock(), Bytes({0xCD, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0x01}));
    // Page program: byte 15 is 2 only with the program flag.
    EXPECT_EQ(PageProgramBlock(0x02, 0x031000, 0x012345, false),
              Bytes({0xCB, 0, 0, 0, 0, 0, 4, 0x01, 0x23, 0x45, 0x02, 0x03, 0x10, 0x00, 0, 0}));
    EXPECT_EQ(PageProgramBlock(0x02, 0x031000, 0x012345, true)[15], 2);
    // Verify value: 16-bit length in bytes 7-8, byte 9 zero; 64 KB goes out as 00 00.
    EXPECT_EQ(VerifyValueBlock(0x030000, 65536),
              Bytes({0xCD, 0, 0, 0, 0, 5, 5, 0x00, 0x00, 0, 0, 0x03, 0x00, 0x00}));
    EXPECT_EQ(VerifyValueBlock(0x40, 0x1234),
              Bytes({0xCD, 0, 0, 0, 0, 5, 5, 0x12, 0x34, 0, 0, 0x00, 0x00, 0x40}));
}

TEST(CommandBlocks, SetClockFromLocalTimeAndBias) {
    ClockTime t{2009, 3, 5, 14, 7, 9};
    EXPECT_EQ(SetClockBlock(t, -480),
              Bytes({0xCA, 0, 0, 0, 0, 0x09, 0x14, 0x03, 0x05, 0x0E, 0x07, 0x09, 0, 0, 0, 0x14}));
    // West of UTC: 12 - 300/60 = 7; a half-hour zone truncates toward zero (12 - (-570/60)
    // = 12 + 9 = 21); far west wraps as an unsigned byte.
    EXPECT_EQ(SetClockBlock(t, 300)[15], 7);
    EXPECT_EQ(SetClockBlock(t, -570)[15], 21);
    EXPECT_EQ(SetClockBlock(t, 780)[15], 0xFF);
    EXPECT_EQ(SetClockBlock(ClockTime{2100, 12, 31, 23, 59, 59}, 0)[5], 0);
    EXPECT_EQ(SetClockBlock(ClockTime{2100, 12, 31, 23, 59, 59}, 0)[6], 21);
}

TEST(CommandBlocks, FirmwareVersionParsing) {
    std::string v;
    const uint8_t digits[64] = {'1', 0, '5', 0, 0};
    EXPECT_TRUE(ParseFirmwareVersion(digits, 64, v));
    EXPECT_EQ(v, "105");

    uint8_t ff[64] = {0xFF, 'A', 'B'};
    v = "stale";
    EXPECT_FALSE(ParseFirmwareVersion(ff, 64, v));
    EXPECT_EQ(v, "");

    uint8_t four[64] = {'V', '2', '.', '1', 0xFF, 'x'};
    EXPECT_TRUE(ParseFirmwareVersion(four, 64, v));
    EXPECT_EQ(v, "V2.1");

    // A 0 at position 31 stays a terminator (only positions below 31 become '0').
    uint8_t edge[64];
    std::fill(edge, edge + 64, 'a');
    edge[31] = 0;
    EXPECT_TRUE(ParseFirmwareVersion(edge, 64, v));
    EXPECT_EQ(v, std::string(31, 'a'));

    // No terminator anywhere: the text stops at the 64 reply bytes.
    uint8_t full[64];
    std::fill(full, full + 64, 'z');
    EXPECT_TRUE(ParseFirmwareVersion(full, 64, v));
    EXPECT_EQ(v.size(), 64u);
}

TEST(DeviceCommands, ReadFlashChunksAndWaitsReady) {
    struct Case {
        uint32_t length;
        std::vector<uint32_t> chunks;
    };
    for (const Case& c : {Case{64, {64}}, Case{100, {128}}, Case{4096, {4096}},
                          Case{4097, {4096, 64}}, Case{8192 + 1, {4096, 4096, 64}}}) {
        SCOPED_TRACE(c.length);
        RecordingChannel ch;
        DeviceCommands cmd(ch);
        std::vector<uint8_t> buffer(ReadBufferLength(c.length));
        EXPECT_EQ(cmd.ReadFlash(buffer.data(), c.length, 0x1000), kStatusOk);
        auto reads = ch.Without(kFlashReadStatus);
        ASSERT_EQ(reads.size(), c.chunks.size());
        uint32_t address = 0x1000;
        for (size_t i = 0; i < reads.size(); ++i) {
            EXPECT_EQ(reads[i].cdb, ReadBlock(0x03, address, c.chunks[i]));
            EXPECT_EQ(reads[i].length, c.chunks[i]);
            EXPECT_TRUE(reads[i].dataIn);
            address += c.chunks[i];
        }
        // The read ends with a status poll.
        EXPECT_EQ(ch.sent.back().cdb, ReadStatusBlock());
    }
}

TEST(DeviceCommands, StatusCodesAndPreamble) {
    RecordingChannel ch;
    DeviceCommands cmd(ch);
    uint8_t buffer[64];
    ch.present = false;
    EXPECT_EQ(cmd.ReadFlash(buffer, 64, 0), kStatusNoDevice);
    EXPECT_EQ(cmd.EraseBlock(0x30000), kStatusNoDevice);
    EXPECT_EQ(cmd.WriteFlash(buffer, 64, 0x30000), kStatusNoDevice);
    EXPECT_TRUE(ch.sent.empty());

    ch.present = true;
    cmd.Configure(0x20, 1);
    EXPECT_EQ(cmd.EraseBlock(0x40000), kStatusOk);
    EXPECT_EQ(cmd.WriteFlash(buffer, 64, 0x40010), kStatusOk);
    const std::vector<CommandBlock> expected = {
        WriteEnableBlock(), WriteStatusBlock(0),
        WriteEnableBlock(), BlockEraseBlock(0x20, 0x40000),
        WriteEnableBlock(), WriteStatusBlock(0),
        WriteEnableBlock(), PageProgramBlock(0x02, 0x40010, 64, true)};
    ASSERT_EQ(ch.sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ch.sent[i].cdb, expected[i]) << i;
    EXPECT_EQ(ch.sent.back().length, 64u);

    // A zero-length write sends nothing; failures map to 32 (erase) and 16 (program).
    ch.sent.clear();
    EXPECT_EQ(cmd.WriteFlash(buffer, 0, 0x40000), kStatusOk);
    EXPECT_TRUE(ch.sent.empty());
    ch.outResult = [](const CommandBlock& b) { return b[10] != 0x20 && b[10] != 0x02; };
    EXPECT_EQ(cmd.EraseBlock(0x40000), kStatusEraseFailed);
    EXPECT_EQ(cmd.WriteFlash(buffer, 64, 0x40000), kStatusNoDevice);
    ch.reply = [](const CommandBlock&, uint32_t, uint8_t*) { return false; };
    EXPECT_EQ(cmd.ReadFlash(buffer, 64, 0), kStatusNoDevice);
}

TEST(DeviceCommands, VerifyFirmwareAndClock) {
    RecordingChannel ch;
    DeviceCommands cmd(ch);
    ch.reply = [](const CommandBlock& b, uint32_t, uint8_t* data) {
        if (b[5] == kFunctionVerify) {
            data[0] = 0xAB;
            data[1] = 0xCD;
        } else if (b[5] == kFunctionFirmware) {
            const uint8_t text[] = {'1', 0, '5', 0, 0};
            std::memcpy(data, text, sizeof text);
        }
        return true;
    };
    uint8_t high = 1, low = 1;
    EXPECT_TRUE(cmd.ReadVerifyValue(0x30000, 65536, high, low));
    EXPECT_EQ(high, 0xAB);
    EXPECT_EQ(low, 0xCD);
    EXPECT_EQ(ch.sent.back().cdb[7], 0);
    EXPECT_EQ(ch.sent.back().cdb[8], 0);
    EXPECT_EQ(ch.sent.back().length, 2u);
    // A range the 16-bit field cannot carry is refused rather than cut short.
    EXPECT_FALSE(cmd.ReadVerifyValue(0, 65537, high, low));
    EXPECT_EQ(high, 0);
    EXPECT_EQ(low, 0);

    std::string version;
    EXPECT_TRUE(cmd.ReadFirmwareVersion(version));
    EXPECT_EQ(version, "105");

    EXPECT_TRUE(cmd.SetClock(ClockTime{2009, 3, 5, 14, 7, 9}, -480));
    EXPECT_EQ(ch.sent.back().cdb, SetClockBlock(ClockTime{2009, 3, 5, 14, 7, 9}, -480));
    EXPECT_FALSE(ch.sent.back().dataIn);
    EXPECT_EQ(ch.sent.back().length, 0u);

    ch.reply = [](const CommandBlock&, uint32_t, uint8_t*) { return false; };
    high = low = 7;
    EXPECT_FALSE(cmd.ReadVerifyValue(0, 64, high, low));
    EXPECT_EQ(high + low, 0);
    version = "x";
    EXPECT_FALSE(cmd.ReadFirmwareVersion(version));
    EXPECT_EQ(version, "");
}

TEST(DeviceCommands, WaitReadyIsBounded) {
    RecordingChannel ch;
    DeviceCommands cmd(ch);
    cmd.SetWaitReadyLimit(std::chrono::milliseconds(60));
    int polls = 0;
    ch.reply = [&](const CommandBlock&, uint32_t, uint8_t* data) {
        data[0] = (++polls <= 2) ? kFlashBusyBit : 0;
        return true;
    };
    EXPECT_TRUE(cmd.WaitReady());
    EXPECT_EQ(polls, 3);

    ch.reply = [](const CommandBlock&, uint32_t, uint8_t* data) {
        data[0] = kFlashBusyBit;
        return true;
    };
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(cmd.WaitReady());
    uint8_t buffer[64];
    EXPECT_EQ(cmd.ReadFlash(buffer, 64, 0), kStatusNoDevice);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(CommandBlocks, BiasIsTheStandardOffsetWhateverTheSeason) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    auto biasIn = [](const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
        return StandardTimeBiasMinutes();
    };
    // POSIX zone strings need no zone database; the daylight rules cover half the year, so
    // one of January and July is always in daylight saving time.
    EXPECT_EQ(biasIn("CST-8"), -480);
    EXPECT_EQ(biasIn("EST5EDT,M3.2.0,M11.1.0"), 300);
    EXPECT_EQ(biasIn("AEST-10AEDT,M10.1.0,M4.1.0/3"), -600);  // southern hemisphere
    EXPECT_EQ(biasIn("NST3:30NDT,M3.2.0,M11.1.0"), 210);
    EXPECT_EQ(SetClockBlock(ClockTime{}, 210)[15], 9);
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
