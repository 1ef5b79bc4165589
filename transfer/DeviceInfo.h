// The attached frame's properties as its flash header and firmware report them; every size the
// program uses (buffers, encoder settings, the picture store) is derived from these.
#pragma once

#include <cstdint>
#include <string>

namespace framewise {

struct DeviceInfo {
    int lcdWidth = 0;
    int lcdHeight = 0;
    int flashSizeKB = 0;
    int indexAddress = 0x30000;
    int capacity = 500;       // 0 in the header means 500
    uint8_t formatValue = 1;  // encoder layout flags = formatValue - 1
    int m_nJpgQuality = 90;   // quality byte of the header once attached
    uint8_t eraseOpcode = 0xD8;
    uint8_t programMode = 0;
    uint8_t headerByte41 = 0;  // kept, not used
    uint8_t headerByte42 = 0;  // kept, not used
    int indexBlockSize = 4096;
    std::string firmwareVersion;
    std::string flashType;    // always empty
    uint8_t header[64] = {};  // the flash header as read, for backups and frame identity

    uint32_t FlashBytes() const { return static_cast<uint32_t>(flashSizeKB) * 1024u; }
    // LCD size rounded up to multiples of 4, and the shared buffer size W4 x H4 x 9.
    int Width4() const { return (lcdWidth + 3) / 4 * 4; }
    int Height4() const { return (lcdHeight + 3) / 4 * 4; }
    size_t SharedBufferSize() const {
        return static_cast<size_t>(Width4()) * static_cast<size_t>(Height4()) * 9u;
    }
};

}  // namespace framewise
