// The frame's command set as operations: clock, firmware version, verify value, wake,
// and reading, erasing and programming its serial flash, answering status codes.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "device/CommandBlocks.h"
#include "device/DeviceChannel.h"
#include "device/LinkMeter.h"

namespace framewise {

inline constexpr uint32_t kStatusOk = 0;
inline constexpr uint32_t kStatusNoDevice = 16;  // not present, or a transfer failed
inline constexpr uint32_t kStatusEraseFailed = 32;

class DeviceCommands {
  public:
    explicit DeviceCommands(DeviceChannel& link);

    // From the flash header at attach: the block erase instruction and the program mode
    // (not 0 = page programs carry the program flag).
    void Configure(uint8_t eraseOpcode, uint8_t programMode);

    // The clock command with the current local time and the zone's standard-time bias.
    bool SetClock();
    bool SetClock(const ClockTime& time, int biasMinutes);

    bool ReadFirmwareVersion(std::string& version);
    // The device's 16-bit byte sum of [address, address + length); length at most 65536.
    // On failure both bytes are 0.
    bool ReadVerifyValue(uint32_t address, uint32_t length, uint8_t& high, uint8_t& low);
    bool Wake();

    // buffer must hold ReadBufferLength(length) bytes.
    uint32_t ReadFlash(uint8_t* buffer, uint32_t length, uint32_t address);
    uint32_t EraseBlock(uint32_t address);
    uint32_t WriteFlash(const uint8_t* buffer, uint32_t length, uint32_t address);

    // Polls the status register every 10 ms until the flash is idle; gives up (false)
    // after the wait-ready limit, so a frame that vanished cannot hang the caller.
    bool WaitReady();
    void SetWaitReadyLimit(std::chrono::milliseconds limit) { m_waitReadyLimit = limit; }

    // What each operation sends over the link when nothing fails, command by command as the
    // operations above send them: for plans of work not yet done.
    static LinkWork ReadFlashWork(uint32_t length);  // the chunks and the ready check
    static LinkWork EraseBlockWork();
    static LinkWork WriteFlashWork(uint32_t length);
    static LinkWork VerifyValueWork();
    static LinkWork WakeWork();

    // Every command's time and size, as this link has carried them.
    LinkMeter& Meter() { return m_meter; }
    const LinkMeter& Meter() const { return m_meter; }

    uint8_t EraseOpcode() const { return m_eraseOpcode; }
    bool ProgramFlag() const { return m_programFlag; }

  private:
    bool SendIn(const CommandBlock& block, uint32_t length, uint8_t* data);
    bool SendOut(const CommandBlock& block, uint32_t length = 0, const uint8_t* data = nullptr);
    void FlashPreamble();

    DeviceChannel& m_link;
    uint8_t m_programOpcode = kFlashPageProgram;
    uint8_t m_eraseOpcode = kFlashDefaultBlockErase;
    uint8_t m_readOpcode = kFlashRead;
    bool m_programFlag = false;
    std::chrono::milliseconds m_waitReadyLimit{3000};
    LinkMeter m_meter;
};

}  // namespace framewise
