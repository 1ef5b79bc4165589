// The frame's vendor command blocks, each built literally by one pure function, and the
// parsing of the firmware version reply; no device is needed to check their bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace framewise {

inline constexpr int kCommandBlockLength = 16;
using CommandBlock = std::array<uint8_t, kCommandBlockLength>;

// Operation codes (byte 0).
inline constexpr uint8_t kOpVendorDataIn = 0xCD;
inline constexpr uint8_t kOpVendorDataOut = 0xCB;  // also for commands without data
inline constexpr uint8_t kOpSetClock = 0xCA;

// Functions (byte 5) of the vendor commands.
inline constexpr uint8_t kFunctionFlash = 0;     // serial-flash pass-through
inline constexpr uint8_t kFunctionFirmware = 1;  // firmware version
inline constexpr uint8_t kFunctionVerify = 5;    // verify value (16-bit byte sum)

// Serial-flash instructions (JEDEC) carried by the flash pass-through (byte 10).
inline constexpr uint8_t kFlashWriteStatus = 0x01;  // WRSR
inline constexpr uint8_t kFlashPageProgram = 0x02;
inline constexpr uint8_t kFlashRead = 0x03;
inline constexpr uint8_t kFlashReadStatus = 0x05;         // RDSR
inline constexpr uint8_t kFlashWriteEnable = 0x06;        // WREN
inline constexpr uint8_t kFlashWake = 0xAB;               // release from deep power-down
inline constexpr uint8_t kFlashDefaultBlockErase = 0xD8;  // 64 KB block erase

// Byte 15 of a page program when the flash header asks for the program flag.
inline constexpr uint8_t kProgramFlagValue = 2;

// Reply sizes.
inline constexpr uint32_t kStatusReplyLength = 64;
inline constexpr uint32_t kFirmwareReplyLength = 64;
inline constexpr uint32_t kVerifyReplyLength = 2;

// Bit 0 of the status register: a program or erase is still running.
inline constexpr uint8_t kFlashBusyBit = 0x01;

CommandBlock ReadStatusBlock();
CommandBlock WriteEnableBlock();
CommandBlock WriteStatusBlock(uint8_t value);
CommandBlock ReadBlock(uint8_t readOpcode, uint32_t address, uint32_t length);
CommandBlock PageProgramBlock(uint8_t programOpcode, uint32_t address, uint32_t length,
                              bool programFlag);
CommandBlock BlockEraseBlock(uint8_t eraseOpcode, uint32_t address);
CommandBlock WakeBlock();
CommandBlock FirmwareVersionBlock();
// The length field has 16 bits: 65536 (a whole block) goes out as 0x0000.
CommandBlock VerifyValueBlock(uint32_t address, uint32_t length);

// A local wall-clock time as the clock command carries it.
struct ClockTime {
    int year = 2000;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// biasMinutes: minutes to add to local time to get UTC (the zone's standard offset,
// negated); byte 15 = 12 - bias / 60, truncated toward zero, kept as an unsigned byte.
CommandBlock SetClockBlock(const ClockTime& time, int biasMinutes);

// The current local time and the zone's standard-time bias (daylight saving left out).
ClockTime CurrentLocalTime();
int StandardTimeBiasMinutes();

// Firmware version reply: false (and an empty text) when byte 0 is 0xFF; otherwise the
// text as the firmware encodes it (a 0 inside the text stands for the digit '0').
bool ParseFirmwareVersion(const uint8_t* reply, size_t size, std::string& version);

// The chunk lengths ReadFlash sends for a read of `length` bytes: 4096 each, the last one
// (when shorter) rounded up to a multiple of 64.
std::vector<uint32_t> ReadChunkLengths(uint32_t length);

// Bytes a ReadFlash buffer must hold for `length` bytes.
inline uint32_t ReadBufferLength(uint32_t length) {
    return (length + 63u) & ~63u;
}

}  // namespace framewise
