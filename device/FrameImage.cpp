#include "device/FrameImage.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "device/ByteOrder.h"

namespace framewise {

namespace fs = std::filesystem;

fs::path FirmwareSidecarPath(const fs::path& image) {
    fs::path p = image;
    p += ".firmware";
    return p;
}

std::string CheckFrameImageOptions(const FrameImageOptions& o) {
    if (o.flashKb == 0 || o.flashKb % 64 != 0 || o.flashKb > kMaxFlashKb) {
        return "flash size must be a multiple of 64 KB between 64 and 16320 KB";
    }
    const uint64_t flashBytes = uint64_t{o.flashKb} * 1024;
    if (o.indexAddress < kFlashHeaderLength || o.indexAddress + kIndexBlockLength > flashBytes) {
        return "index address must lie above the flash header, with its 4096-byte block inside "
               "the flash";
    }
    if (o.lcdWidth == 0 || o.lcdHeight == 0 || o.lcdWidth > 0xFFFF || o.lcdHeight > 0xFFFF) {
        return "LCD size must be between 1 and 65535 in each direction";
    }
    if (o.capacity > 0xFFFF) return "capacity must be between 0 and 65535";
    if (o.format > 0xFF || o.quality > 0xFF) return "format and quality must be between 0 and 255";
    if (o.firmware.size() > 31 || o.firmware.find('\n') != std::string::npos) {
        return "firmware text must be one line of at most 31 characters";
    }
    return {};
}

bool CreateFrameImage(const fs::path& image, const FrameImageOptions& o, std::string& error) {
    error = CheckFrameImageOptions(o);
    if (!error.empty()) return false;
    const uint32_t flashBytes = o.flashKb * 1024;
    std::vector<uint8_t> flash(flashBytes, 0xFF);
    std::fill(flash.begin(), flash.begin() + o.indexAddress, 0x00);
    uint8_t* h = flash.data();
    const char marker[] = "FRAMEWISE SIMULATED FRAME";
    std::memcpy(h, marker, sizeof marker - 1);
    PutLe24(h + kHeaderIndexAddress, o.indexAddress);
    PutLe16(h + kHeaderLcdWidth, o.lcdWidth);
    PutLe16(h + kHeaderLcdHeight, o.lcdHeight);
    h[kHeaderEraseOpcode] = o.eraseOpcode;
    h[kHeaderProgramMode] = o.programMode;
    PutLe24(h + kHeaderFlashSize, flashBytes);
    PutLe16(h + kHeaderCapacity, o.capacity);
    h[kHeaderFormat] = static_cast<uint8_t>(o.format);
    h[kHeaderQuality] = static_cast<uint8_t>(o.quality);

    int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = image.string() + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < flash.size()) {
        ssize_t n = ::write(fd, flash.data() + done, flash.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == flash.size() && ::fsync(fd) == 0;
    if (!ok) error = image.string() + ": " + std::strerror(errno);
    ::close(fd);
    if (!ok) {
        std::error_code ec;
        fs::remove(image, ec);
        return false;
    }
    std::ofstream side(FirmwareSidecarPath(image), std::ios::trunc);
    side << o.firmware << "\n";
    if (!side) {
        error = FirmwareSidecarPath(image).string() + ": cannot write";
        return false;
    }
    return true;
}

}  // namespace framewise
