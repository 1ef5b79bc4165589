#include "device/DeviceCommands.h"

#include <array>
#include <thread>

namespace framewise {

namespace {
constexpr uint32_t kMaxVerifyLength = 65536;
constexpr uint32_t kMaxDataLength = 0xFFFFFF;  // the 24-bit length field
constexpr auto kStatusPollInterval = std::chrono::milliseconds(10);
}  // namespace

DeviceCommands::DeviceCommands(DeviceChannel& link) : m_link(link) {}

void DeviceCommands::Configure(uint8_t eraseOpcode, uint8_t programMode) {
    m_eraseOpcode = eraseOpcode;
    m_programFlag = programMode != 0;
}

namespace {
double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

// Only commands that went through are timed: a failed one says nothing of the link's speed.
bool DeviceCommands::SendIn(const CommandBlock& block, uint32_t length, uint8_t* data) {
    const auto start = std::chrono::steady_clock::now();
    const bool sent = m_link.SendDataIn(block.data(), kCommandBlockLength, length, data);
    if (sent) m_meter.Record(true, length, SecondsSince(start));
    return sent;
}

bool DeviceCommands::SendOut(const CommandBlock& block, uint32_t length, const uint8_t* data) {
    const auto start = std::chrono::steady_clock::now();
    const bool sent = m_link.SendDataOut(block.data(), kCommandBlockLength, length, data);
    if (sent) m_meter.Record(false, length, SecondsSince(start));
    return sent;
}

LinkWork DeviceCommands::ReadFlashWork(uint32_t length) {
    LinkWork work;
    for (uint32_t chunk : ReadChunkLengths(length)) {
        ++work.inCommands;
        work.inBytes += chunk;
    }
    // WaitReady's first status read finds an idle flash after a read.
    ++work.inCommands;
    work.inBytes += kStatusReplyLength;
    return work;
}

LinkWork DeviceCommands::EraseBlockWork() {
    return {0, 0, 4, 0};  // the preamble's three commands and the erase
}

LinkWork DeviceCommands::WriteFlashWork(uint32_t length) {
    if (length == 0) return {};
    return {0, 0, 4, length};  // the preamble's three commands and the page program
}

LinkWork DeviceCommands::VerifyValueWork() {
    return {1, kVerifyReplyLength, 0, 0};
}

LinkWork DeviceCommands::WakeWork() {
    return {0, 0, 1, 0};
}

bool DeviceCommands::SetClock() {
    return SetClock(CurrentLocalTime(), StandardTimeBiasMinutes());
}

bool DeviceCommands::SetClock(const ClockTime& time, int biasMinutes) {
    return SendOut(SetClockBlock(time, biasMinutes));
}

bool DeviceCommands::ReadFirmwareVersion(std::string& version) {
    version.clear();
    std::array<uint8_t, kFirmwareReplyLength> reply{};
    if (!SendIn(FirmwareVersionBlock(), kFirmwareReplyLength, reply.data())) return false;
    return ParseFirmwareVersion(reply.data(), reply.size(), version);
}

bool DeviceCommands::ReadVerifyValue(uint32_t address, uint32_t length, uint8_t& high,
                                     uint8_t& low) {
    high = 0;
    low = 0;
    // A longer range cannot be expressed in the 16-bit length field; sending it cut short
    // would compare against the sum of a different range.
    if (length > kMaxVerifyLength) return false;
    std::array<uint8_t, kVerifyReplyLength> reply{};
    if (!SendIn(VerifyValueBlock(address, length), kVerifyReplyLength, reply.data())) {
        return false;
    }
    high = reply[0];
    low = reply[1];
    return true;
}

bool DeviceCommands::Wake() {
    return SendOut(WakeBlock());
}

void DeviceCommands::FlashPreamble() {
    // Clears the block protection; the results are not checked, as the command that
    // follows fails on its own if the frame is gone.
    SendOut(WriteEnableBlock());
    SendOut(WriteStatusBlock(0));
    SendOut(WriteEnableBlock());
}

uint32_t DeviceCommands::ReadFlash(uint8_t* buffer, uint32_t length, uint32_t address) {
    if (!m_link.IsPresent()) return kStatusNoDevice;
    if (length > kMaxDataLength) return kStatusNoDevice;
    uint32_t offset = 0;
    for (uint32_t chunk : ReadChunkLengths(length)) {
        if (!SendIn(ReadBlock(m_readOpcode, address + offset, chunk), chunk, buffer + offset)) {
            return kStatusNoDevice;
        }
        offset += chunk;
    }
    if (!WaitReady()) return kStatusNoDevice;
    return m_link.IsPresent() ? kStatusOk : kStatusNoDevice;
}

uint32_t DeviceCommands::EraseBlock(uint32_t address) {
    if (!m_link.IsPresent()) return kStatusNoDevice;
    FlashPreamble();
    if (!SendOut(BlockEraseBlock(m_eraseOpcode, address))) return kStatusEraseFailed;
    return m_link.IsPresent() ? kStatusOk : kStatusNoDevice;
}

uint32_t DeviceCommands::WriteFlash(const uint8_t* buffer, uint32_t length, uint32_t address) {
    if (!m_link.IsPresent()) return kStatusNoDevice;
    if (length > kMaxDataLength) return kStatusNoDevice;
    if (length > 0) {
        FlashPreamble();
        // One command carries the whole length; the firmware splits it into flash pages.
        if (!SendOut(PageProgramBlock(m_programOpcode, address, length, m_programFlag), length,
                     buffer)) {
            return kStatusNoDevice;
        }
    }
    return m_link.IsPresent() ? kStatusOk : kStatusNoDevice;
}

bool DeviceCommands::WaitReady() {
    const auto deadline = std::chrono::steady_clock::now() + m_waitReadyLimit;
    std::array<uint8_t, kStatusReplyLength> reply{};
    // The status is asked at once and then every poll interval: after a read the flash is
    // never busy, and a pause before the first question would double the time of a read.
    for (;;) {
        reply.fill(0);
        // A failed status command counts as busy.
        if (SendIn(ReadStatusBlock(), kStatusReplyLength, reply.data()) &&
            (reply[0] & kFlashBusyBit) == 0) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kStatusPollInterval);
    }
}

}  // namespace framewise
