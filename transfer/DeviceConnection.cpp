#include "transfer/DeviceConnection.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "transfer/AlbumWritable.h"

namespace framewise {

using namespace flash;

DeviceConnection::DeviceConnection(TransferContext& context, DeviceCommands& commands)
    : m_context(context), m_commands(commands), m_model(context.state) {}

bool DeviceConnection::LcdSizeUsable(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxLcdSide || height > kMaxLcdSide) return false;
    // The decoder skips through the stream by a 16-bit MCU index; with the smallest MCU
    // (8 x 8) every picture must have at most 65535 of them.
    const long mcus = static_cast<long>((width + 7) / 8) * ((height + 7) / 8);
    return mcus <= 65535;
}

bool DeviceConnection::AttachDevice() {
    Frontend& fe = m_context.frontend;
    const Language& lang = m_context.language;
    if (!m_commands.SetClock()) {
        fe.ShowMessage(lang.Tr("SYNCHRONIZETIME_TIPS", "Synchronize time failed!"));
        return false;
    }
    std::string version;
    if (m_commands.ReadFirmwareVersion(version)) m_info.firmwareVersion = version;
    if (!ReadFlashHeader()) return false;
    m_commands.Configure(m_info.eraseOpcode, m_info.programMode);

    // A header whose flash cannot hold its own index block describes no usable flash: the
    // images cannot be sized from it.
    const int64_t flashBytes = m_info.FlashBytes();
    const bool layoutUsable = m_info.flashSizeKB >= 64 &&
                              m_info.indexAddress >= static_cast<int>(kHeaderSize) &&
                              m_info.indexAddress + int64_t{kIndexBlockSize} <= flashBytes;
    if (!layoutUsable || !m_model.Allocate(m_info)) {
        fe.ShowMessage(lang.Tr("ALLOCMEMFAIL_TIPS", "Allocate memory failed!"));
        return false;
    }
    m_known.Reset(m_info.FlashBytes());
    if (m_info.lcdWidth == 0 || !LcdSizeUsable(m_info.lcdWidth, m_info.lcdHeight)) {
        m_model.Release();
        fe.ShowMessage(lang.Tr("LCDSIZEZERO_TIPS",
                               "LCD width is 0, it must have something wrong with your DPF!"));
        return false;
    }
    m_thumbnails = ReadThumbnailKeysAtAttach(m_context.settings);
    m_thumbHeight = m_info.lcdHeight * m_thumbnails.thumbWidth / m_info.lcdWidth;
    m_sThumbHeight = m_thumbnails.sThumbWidth;
    return true;
}

bool DeviceConnection::ReadFlashHeader() {
    uint8_t header[kHeaderSize] = {};
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (m_commands.ReadFlash(header, kHeaderSize, 0) == kStatusNoDevice) return false;
        if (!ReadVerifyChecked(0, kHeaderSize)) return false;
        if (SumMatches(header, kHeaderSize)) break;
        // After the third mismatch the third read is used as it is.
    }
    std::memcpy(m_info.header, header, kHeaderSize);
    m_info.indexAddress = static_cast<int>(Get24(header + kHeaderIndexAddress));
    m_info.lcdWidth = static_cast<int>(Get16(header + kHeaderLcdWidth));
    m_info.lcdHeight = static_cast<int>(Get16(header + kHeaderLcdHeight));
    m_info.eraseOpcode = header[kHeaderEraseOpcode];
    m_info.programMode = header[kHeaderProgramMode];
    m_info.headerByte41 = header[kHeaderByte41];
    m_info.headerByte42 = header[kHeaderByte42];
    m_info.flashSizeKB = static_cast<int>(Get24(header + kHeaderFlashSize) / 1024);
    const int capacity = static_cast<int>(Get16(header + kHeaderCapacity));
    // The index block holds 510 entries; a larger capacity could never be written back.
    m_info.capacity = capacity == 0 ? kDefaultCapacity : std::min(capacity, kIndexEntries);
    m_info.formatValue = header[kHeaderFormat];
    m_info.m_nJpgQuality = header[kHeaderQuality];
    m_info.indexBlockSize = static_cast<int>(kIndexBlockSize);
    return true;
}

bool DeviceConnection::ReadVerifyChecked(uint32_t address, uint32_t length) {
    for (int call = 0; call < 4; ++call) {
        if (call > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        uint8_t high = 0, low = 0;
        if (m_commands.ReadVerifyValue(address, length, high, low)) {
            m_verifyHigh = high;
            m_verifyLow = low;
            return true;
        }
    }
    if (m_context.state.m_bAttached) {
        m_context.frontend.SetStatusText(
            m_context.language.Tr("READVERIFY_TIPS", "Cannot read the verify value from the DPF!"));
        return false;
    }
    // The start-up attach goes on without the value; the header check then just mismatches.
    m_verifyHigh = 0;
    m_verifyLow = 0;
    return true;
}

bool DeviceConnection::SumMatches(const uint8_t* buffer, size_t length) const {
    const uint16_t expected = static_cast<uint16_t>(m_verifyHigh << 8 | m_verifyLow);
    if (length < 1) return expected == 0;
    return ByteSum(buffer, length) == expected;
}

bool DeviceConnection::AllocateSharedBuffers() {
    const size_t size = m_info.SharedBufferSize();
    try {
        FrameBuffer.assign(size, 0);
        StreamBuffer.assign(size, 0);
        m_thirdBuffer.assign(size, 0);
        m_scratch.assign(kBlockSize, 0);
    } catch (const std::bad_alloc&) {
        std::vector<uint8_t>().swap(FrameBuffer);
        std::vector<uint8_t>().swap(StreamBuffer);
        std::vector<uint8_t>().swap(m_thirdBuffer);
        return false;
    }
    return true;
}

void DeviceConnection::Attach() {
    Frontend& fe = m_context.frontend;
    const Language& lang = m_context.language;
    AppState& state = m_context.state;
    state.m_bAlbumRead = false;
    if (!AttachDevice()) return;
    if (!AllocateSharedBuffers()) {
        fe.ShowMessage(
            lang.Tr("ALLOCMEMFAIL_TIPS", "Allocate memory failed, not enough memory to use!"));
        return;
    }
    fe.SetStatusText(lang.Tr("DEVICEON_TIPS", "DPF Attach!!"));
    state.m_bReady = true;
    state.m_bAttached = true;
    WriteDeviceValues(m_context.settings, {m_info.firmwareVersion, m_info.flashType,
                                           m_info.flashSizeKB, m_info.lcdWidth, m_info.lcdHeight});
    fe.SetProgressRange(0, 100);
    fe.SetProgressPos(0);
    if (m_context.ProgressCtrlOff()) fe.ShowProgress(true);
    state.m_bReading = true;
    fe.PostEvent("DPFAttach", 0);
}

bool DeviceConnection::AlbumWritable() const {
    return framewise::AlbumWritable(m_info.indexAddress);
}

void DeviceConnection::Detach(bool prompt) {
    const Language& lang = m_context.language;
    m_context.frontend.SetStatusText(lang.Tr("DEVICEOFF_TIPS", "DPF Detached!"));
    m_context.state.m_bAttached = false;
    m_context.state.m_bReady = true;
    m_context.EnableControls(false);
    if (prompt)
        m_context.frontend.SetStatusText(
            lang.Tr("INSERTDEVICE_TIPS", "Please insert the DPF device!"));
}

void DeviceConnection::ShowTransferWarning() {
    m_context.frontend.SetPictureTotalText(
        m_context.language.Tr("WARN_TIPS", "Don't pullout USB cable \nwhile reading or writing!"));
}

void DeviceConnection::ReleaseBuffers() {
    m_model.Release();
    m_known.Reset(0);
    m_model.ResetTable();
    std::vector<uint8_t>().swap(FrameBuffer);
    std::vector<uint8_t>().swap(StreamBuffer);
    std::vector<uint8_t>().swap(m_thirdBuffer);
}

bool DeviceConnection::ReadChecked(uint8_t* dest, uint32_t length, uint32_t address) {
    const ReadOutcome outcome = ReadVerified(dest, length, address);
    if (outcome == ReadOutcome::Mismatched) {
        m_context.frontend.ShowMessage(m_context.language.Tr(
            "VERIFYINDEX_TIPS", "Verify index failed! Please insert the Device and try again!"));
        m_context.state.m_bReady = true;
    }
    return outcome == ReadOutcome::Read;
}

DeviceConnection::ReadOutcome DeviceConnection::ReadVerified(uint8_t* dest, uint32_t length,
                                                             uint32_t address) {
    if (m_scratch.size() < kBlockSize) {
        try {
            m_scratch.assign(kBlockSize, 0);
        } catch (const std::bad_alloc&) {
            return ReadOutcome::NoTransfer;
        }
    }
    const uint32_t parts = (length + kBlockSize - 1) / kBlockSize;
    int mismatches = 0;
    for (uint32_t part = 0; part < parts; ++part) {
        const uint32_t offset = part * kBlockSize;
        const uint32_t partLength = std::min(kBlockSize, length - offset);
        const uint32_t partAddress = address + offset;
        for (;;) {
            // The commands move whole multiples of 64 bytes; the scratch buffer takes the
            // rounding so that dest is never written past its length.
            if (m_commands.ReadFlash(m_scratch.data(), partLength, partAddress) == kStatusNoDevice)
                return ReadOutcome::NoTransfer;
            if (!ReadVerifyChecked(partAddress, partLength)) return ReadOutcome::NoTransfer;
            if (SumMatches(m_scratch.data(), partLength)) break;
            if (mismatches > 2) return ReadOutcome::Mismatched;
            ++mismatches;
        }
        std::memcpy(dest + offset, m_scratch.data(), partLength);
        m_known.Learn(partAddress, m_scratch.data(), partLength);
    }
    return ReadOutcome::Read;
}

DeviceConnection::ReadOutcome DeviceConnection::ReadKnown(uint8_t* dest, uint32_t length,
                                                          uint32_t address) {
    if (m_known.Recall(address, length, dest)) return ReadOutcome::Read;
    return ReadVerified(dest, length, address);
}

bool DeviceConnection::WriteBlockChecked(const uint8_t* buffer, uint32_t length, uint32_t address) {
    // From the first erase on, the block holds whatever the last attempt leaves.
    m_known.Forget(address, (address & 0xFFFF) == 0 ? std::max(length, kBlockSize) : length);
    for (int attempt = 0; attempt < 4; ++attempt) {
        if ((address & 0xFFFF) == 0 && m_commands.EraseBlock(address) == kStatusNoDevice)
            return false;
        if (m_commands.WriteFlash(buffer, length, address) == kStatusNoDevice) return false;
        if (!ReadVerifyChecked(address, length)) return false;
        if (SumMatches(buffer, length)) {
            m_known.Learn(address, buffer, length);
            return true;
        }
    }
    const std::string len = std::to_string(length);
    const std::string addr = std::to_string(address);
    std::string text;
    if (m_context.language.IsChinese())
        text = "在地址" + addr + " B写完长度为" + len + " 的数据后校验失败!";
    else
        text = "Verify failed after write " + len + " length data at address " + addr + " B!";
    m_context.frontend.ShowMessage(text);
    return false;
}

}  // namespace framewise
