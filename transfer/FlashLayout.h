// The frame's flash layout as constants and little-endian field helpers: header offsets, the
// index block with its entries, and the 64 KB erase block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace framewise::flash {

inline constexpr uint32_t kBlockSize = 65536;  // erase and program unit
inline constexpr uint32_t kHeaderSize = 64;
inline constexpr uint32_t kIndexBlockSize = 4096;
inline constexpr uint32_t kIndexHeadSize = 16;
inline constexpr uint32_t kIndexEntrySize = 8;
inline constexpr int kIndexEntries = 510;         // (4096 - 16) / 8
inline constexpr uint32_t kIndexCopySize = 8192;  // 16-byte head and 1022 entries
inline constexpr int kIndexCopyEntries = 1022;
inline constexpr int kRecordCount = 1000;
inline constexpr int kDefaultCapacity = 500;
inline constexpr uint8_t kMagic[4] = {'T', 'Q', 'F', 'S'};

// Flash header fields.
inline constexpr size_t kHeaderIndexAddress = 32;  // 24-bit
inline constexpr size_t kHeaderLcdWidth = 35;      // 16-bit
inline constexpr size_t kHeaderLcdHeight = 37;     // 16-bit
inline constexpr size_t kHeaderEraseOpcode = 39;
inline constexpr size_t kHeaderProgramMode = 40;
inline constexpr size_t kHeaderByte41 = 41;
inline constexpr size_t kHeaderByte42 = 42;
inline constexpr size_t kHeaderFlashSize = 43;  // 24-bit, bytes
inline constexpr size_t kHeaderCapacity = 46;   // 16-bit
inline constexpr size_t kHeaderFormat = 48;
inline constexpr size_t kHeaderQuality = 49;

inline uint32_t Get16(const uint8_t* p) {
    return p[0] | (static_cast<uint32_t>(p[1]) << 8);
}
inline uint32_t Get24(const uint8_t* p) {
    return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
}
inline void Put24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

// The 16-bit byte sum the device answers as its verify value.
inline uint16_t ByteSum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum += data[i];
    return static_cast<uint16_t>(sum);
}

}  // namespace framewise::flash
