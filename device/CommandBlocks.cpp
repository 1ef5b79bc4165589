#include "device/CommandBlocks.h"

#include <algorithm>
#include <ctime>

#include "device/ByteOrder.h"

namespace framewise {

namespace {
constexpr uint32_t kChunkLength = 4096;

// Flash pass-through: function 0, instruction length, instruction, data length, address.
CommandBlock FlashBlock(uint8_t op, uint8_t instructionLength, uint8_t instruction,
                        uint32_t dataLength, uint32_t address) {
    CommandBlock b{};
    b[0] = op;
    b[5] = kFunctionFlash;
    b[6] = instructionLength;
    PutBe24(&b[7], dataLength);
    b[10] = instruction;
    PutBe24(&b[11], address);
    return b;
}
}  // namespace

CommandBlock ReadStatusBlock() {
    return FlashBlock(kOpVendorDataIn, 1, kFlashReadStatus, kStatusReplyLength, 0);
}

CommandBlock WriteEnableBlock() {
    return FlashBlock(kOpVendorDataOut, 1, kFlashWriteEnable, 0, 0);
}

CommandBlock WriteStatusBlock(uint8_t value) {
    CommandBlock b = FlashBlock(kOpVendorDataOut, 2, kFlashWriteStatus, 0, 0);
    b[11] = value;
    return b;
}

CommandBlock ReadBlock(uint8_t readOpcode, uint32_t address, uint32_t length) {
    return FlashBlock(kOpVendorDataIn, 4, readOpcode, length, address);
}

CommandBlock PageProgramBlock(uint8_t programOpcode, uint32_t address, uint32_t length,
                              bool programFlag) {
    CommandBlock b = FlashBlock(kOpVendorDataOut, 4, programOpcode, length, address);
    b[15] = programFlag ? kProgramFlagValue : 0;
    return b;
}

CommandBlock BlockEraseBlock(uint8_t eraseOpcode, uint32_t address) {
    return FlashBlock(kOpVendorDataOut, 4, eraseOpcode, 0, address);
}

CommandBlock WakeBlock() {
    return FlashBlock(kOpVendorDataOut, 1, kFlashWake, 0, 0);
}

CommandBlock FirmwareVersionBlock() {
    CommandBlock b{};
    b[0] = kOpVendorDataIn;
    b[5] = kFunctionFirmware;
    b[6] = 1;
    b[10] = 0x01;
    return b;
}

CommandBlock VerifyValueBlock(uint32_t address, uint32_t length) {
    CommandBlock b{};
    b[0] = kOpVendorDataIn;
    b[5] = kFunctionVerify;
    b[6] = 5;
    PutBe16(&b[7], length & 0xFFFFu);
    b[9] = 0;
    b[10] = 0;
    PutBe24(&b[11], address);
    return b;
}

CommandBlock SetClockBlock(const ClockTime& time, int biasMinutes) {
    CommandBlock b{};
    b[0] = kOpSetClock;
    b[5] = static_cast<uint8_t>(time.year % 100);
    b[6] = static_cast<uint8_t>(time.year / 100);
    b[7] = static_cast<uint8_t>(time.month);
    b[8] = static_cast<uint8_t>(time.day);
    b[9] = static_cast<uint8_t>(time.hour);
    b[10] = static_cast<uint8_t>(time.minute);
    b[11] = static_cast<uint8_t>(time.second);
    b[15] = static_cast<uint8_t>(12 - biasMinutes / 60);  // C++ division truncates toward 0
    return b;
}

ClockTime CurrentLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return ClockTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

int StandardTimeBiasMinutes() {
    // Daylight saving only ever moves the clock forward, so the zone's standard offset is
    // the smaller of its offsets in January and July (this holds in both hemispheres).
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    long smallest = tm.tm_gmtoff;
    for (int month : {0, 6}) {
        std::tm probe{};
        probe.tm_year = tm.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 1;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        std::time_t t = std::mktime(&probe);
        std::tm back{};
        if (t != static_cast<std::time_t>(-1) && localtime_r(&t, &back)) {
            smallest = std::min(smallest, back.tm_gmtoff);
        }
    }
    return static_cast<int>(-smallest / 60);
}

bool ParseFirmwareVersion(const uint8_t* reply, size_t size, std::string& version) {
    version.clear();
    if (size == 0 || reply[0] == 0xFF) return false;
    size = std::min<size_t>(size, kFirmwareReplyLength);
    std::array<uint8_t, kFirmwareReplyLength> text{};
    std::copy(reply, reply + size, text.begin());
    size_t end = size;
    for (size_t i = 0; i < std::min<size_t>(size, 32); ++i) {
        if (text[i] == 0xFF) {
            end = i;
            break;
        }
        if (text[i] == 0 && i < 31 && i + 1 < size && text[i + 1] != 0) text[i] = '0';
    }
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == 0) break;
        version.push_back(static_cast<char>(text[i]));
    }
    return true;
}

std::vector<uint32_t> ReadChunkLengths(uint32_t length) {
    std::vector<uint32_t> chunks;
    for (uint32_t done = 0; done < length; done += kChunkLength) {
        uint32_t left = length - done;
        chunks.push_back(left >= kChunkLength ? kChunkLength : ReadBufferLength(left));
    }
    return chunks;
}

}  // namespace framewise
