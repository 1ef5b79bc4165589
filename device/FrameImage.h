// Fresh frame images: a flash image file as a new frame would hold it (flash header,
// protected area, erased rest with no album), and the firmware text the simulator answers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace framewise {

inline constexpr uint32_t kFlashHeaderLength = 64;
inline constexpr uint32_t kFlashBlockLength = 65536;
inline constexpr uint32_t kIndexBlockLength = 4096;
inline constexpr uint32_t kMaxFlashKb = 16383;  // the header's flash size field has 24 bits
inline constexpr const char* kDefaultSimulatedFirmware = "SIM 1.05";

// Flash header field offsets (multi-byte fields little-endian).
inline constexpr uint32_t kHeaderIndexAddress = 32;  // 24-bit
inline constexpr uint32_t kHeaderLcdWidth = 35;      // 16-bit
inline constexpr uint32_t kHeaderLcdHeight = 37;     // 16-bit
inline constexpr uint32_t kHeaderEraseOpcode = 39;
inline constexpr uint32_t kHeaderProgramMode = 40;
inline constexpr uint32_t kHeaderFlashSize = 43;  // 24-bit, bytes
inline constexpr uint32_t kHeaderCapacity = 46;   // 16-bit, 0 = 500
inline constexpr uint32_t kHeaderFormat = 48;
inline constexpr uint32_t kHeaderQuality = 49;

struct FrameImageOptions {
    uint32_t lcdWidth = 128;
    uint32_t lcdHeight = 128;
    uint32_t flashKb = 2048;
    uint32_t indexAddress = 0x30000;
    uint32_t capacity = 0;  // 0 = 500
    uint32_t format = 1;
    uint32_t quality = 90;
    uint8_t eraseOpcode = 0xD8;
    uint8_t programMode = 0;
    std::string firmware = kDefaultSimulatedFirmware;
};

// The simulator's firmware version text lives beside the image, in "<image>.firmware"
// (one line), so that an image stays the raw flash bytes and a frame backup can be
// simulated as it is; without that file the simulator answers kDefaultSimulatedFirmware.
std::filesystem::path FirmwareSidecarPath(const std::filesystem::path& image);

// Checks the options (flash size a multiple of 64 KB up to 24 bits, index block inside the
// flash above the header, field ranges); empty when they are fine, else the reason.
std::string CheckFrameImageOptions(const FrameImageOptions& options);

// Writes header, protected area (0x00 up to the index address) and erased flash (0xFF),
// then the firmware sidecar. Fails rather than overwrite an existing image.
bool CreateFrameImage(const std::filesystem::path& image, const FrameImageOptions& options,
                      std::string& error);

}  // namespace framewise
