#include "device/SimulatedFrame.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

#include "device/ByteOrder.h"

namespace framewise {

namespace {
constexpr uint8_t kProtectBits = 0x1C;   // BP0-BP2 of the status register
constexpr uint8_t kWritableBits = 0x9C;  // BP0-BP2 and SRWD
constexpr uint8_t kWriteEnableLatch = 0x02;
constexpr uint64_t kMaxImageBytes = 16u * 1024 * 1024;
constexpr uint32_t kFullVerifyLength = 65536;  // a length field of 0

std::string Errno(const std::filesystem::path& p) {
    return p.string() + ": " + std::strerror(errno);
}

bool MarkerExists(const std::filesystem::path& marker) {
    struct stat st {};
    return ::lstat(marker.c_str(), &st) == 0;
}

// Makes or removes the unplugged marker; false with errno set when that fails.
bool WriteMarker(const std::filesystem::path& marker, bool present) {
    if (!present) return ::unlink(marker.c_str()) == 0 || errno == ENOENT;
    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// Watches the image's folder for the marker coming and going; -1 where inotify is not to be
// had (too many watchers), and the caller falls back to an eventfd.
int WatchMarkerFolder(const std::filesystem::path& image) {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(image, ec).parent_path();
    if (ec || folder.empty()) return -1;
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return -1;
    constexpr uint32_t kComeAndGo = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (::inotify_add_watch(fd, folder.c_str(), kComeAndGo | IN_ONLYDIR) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string ReadFirmwareSidecar(const std::filesystem::path& image) {
    std::ifstream in(FirmwareSidecarPath(image));
    std::string line;
    if (!in || !std::getline(in, line)) return kDefaultSimulatedFirmware;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.size() > 31) line.resize(31);
    return line;
}
}  // namespace

std::filesystem::path UnpluggedMarkerPath(const std::filesystem::path& image) {
    std::filesystem::path marker = image;
    marker += ".unplugged";
    return marker;
}

bool SetImagePlugged(const std::filesystem::path& image, bool plugged, std::string& error) {
    struct stat st {};
    if (::stat(image.c_str(), &st) != 0) {
        error = Errno(image);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = image.string() + ": not a frame image file";
        return false;
    }
    const std::filesystem::path marker = UnpluggedMarkerPath(image);
    if (!WriteMarker(marker, !plugged)) {
        error = Errno(marker);
        return false;
    }
    return true;
}

std::shared_ptr<SimulatedFrame> SimulatedFrame::Open(const std::filesystem::path& image,
                                                     std::string& error) {
    std::shared_ptr<SimulatedFrame> frame(new SimulatedFrame());
    frame->m_image = image;
    frame->m_fd = ::open(image.c_str(), O_RDWR | O_CLOEXEC);
    if (frame->m_fd < 0) {
        error = Errno(image);
        return nullptr;
    }
    // One program drives one frame, as the exclusive open of a real node ensures.
    if (::flock(frame->m_fd, LOCK_EX | LOCK_NB) != 0) {
        error = image.string() + ": the image is in use by another program";
        return nullptr;
    }
    struct stat st {};
    if (::fstat(frame->m_fd, &st) != 0) {
        error = Errno(image);
        return nullptr;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size == 0 || size % kFlashBlockLength != 0 || size > kMaxImageBytes) {
        error = image.string() +
                ": not a flash image (its size must be a multiple of 64 KB, "
                "at most 16 MB)";
        return nullptr;
    }
    frame->m_flash.resize(size);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(frame->m_fd, frame->m_flash.data() + done, size - done,
                            static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = Errno(image);
            return nullptr;
        }
        done += static_cast<size_t>(n);
    }
    const uint8_t erase = frame->m_flash[kHeaderEraseOpcode];
    frame->m_eraseOpcode = (erase == 0x00 || erase == 0xFF) ? kFlashDefaultBlockErase : erase;
    frame->m_firmware = ReadFirmwareSidecar(image);
    frame->m_marker = UnpluggedMarkerPath(image);
    frame->m_plugged = !MarkerExists(frame->m_marker);
    frame->m_arrival = frame->m_plugged ? 1 : 0;
    frame->m_changeFd = WatchMarkerFolder(image);
    frame->m_changeIsInotify = frame->m_changeFd >= 0;
    if (!frame->m_changeIsInotify) {
        frame->m_changeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (frame->m_changeFd < 0) {
            error = std::string("eventfd: ") + std::strerror(errno);
            return nullptr;
        }
    }
    return frame;
}

SimulatedFrame::~SimulatedFrame() {
    if (m_fd >= 0) ::close(m_fd);
    if (m_changeFd >= 0) ::close(m_changeFd);
}

bool SimulatedFrame::SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                                uint8_t* data) {
    SleepForLink(dataLength);
    std::lock_guard lock(m_mutex);
    return Handle(true, cdb, cdbLength, dataLength, data, nullptr);
}

bool SimulatedFrame::SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                                 const uint8_t* data) {
    SleepForLink(dataLength);
    std::lock_guard lock(m_mutex);
    return Handle(false, cdb, cdbLength, dataLength, nullptr, data);
}

void SimulatedFrame::SleepForLink(uint32_t bytes) const {
    LinkModel link;
    {
        std::lock_guard lock(m_mutex);
        link = m_link;
    }
    auto delay = link.latency;
    if (link.bytesPerSecond > 0) {
        delay += std::chrono::microseconds((uint64_t{bytes} + kCommandBlockLength) * 1000000 /
                                           link.bytesPerSecond);
    }
    if (delay.count() > 0) {
        m_linkTime += delay.count();
        std::this_thread::sleep_for(delay);
    }
}

void SimulatedFrame::AdvanceFaults() {
    for (auto& f : m_faults) {
        if (f.countdown > 0) --f.countdown;
    }
}

bool SimulatedFrame::TakeFault(SimFault kind) {
    auto it = std::find_if(m_faults.begin(), m_faults.end(),
                           [&](const Fault& f) { return f.kind == kind && f.countdown == 0; });
    if (it == m_faults.end()) return false;
    m_faults.erase(it);
    return true;
}

bool SimulatedFrame::Handle(bool dataIn, const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                            uint8_t* inData, const uint8_t* outData) {
    ++m_totalCommands;
    AdvanceFaults();
    if (TakeFault(SimFault::Unplug)) PullOutLocked();
    // Pulled out by another program since the last command: this one finds no device.
    if (m_plugged && MarkerExists(m_marker)) SetPlugged(false);
    if (!m_plugged) return false;
    if (TakeFault(SimFault::FailTransfer)) return false;
    if (cdb == nullptr || cdbLength != kCommandBlockLength) return false;
    if (dataLength > 0 && (dataIn ? inData == nullptr : outData == nullptr)) return false;

    switch (cdb[0]) {
        case kOpSetClock: {
            if (dataIn) return false;
            CommandBlock block{};
            std::copy(cdb, cdb + kCommandBlockLength, block.begin());
            m_clocks.push_back(block);
            return true;
        }
        case kOpVendorDataIn: {
            if (!dataIn) return false;
            bool ok = false;
            std::fill(inData, inData + dataLength, 0);
            if (cdb[5] == kFunctionFlash) {
                ok = HandleFlash(true, cdb, dataLength, inData, nullptr);
            } else if (cdb[5] == kFunctionFirmware && cdb[10] == 0x01 && dataLength > 0) {
                size_t n = std::min<size_t>(m_firmware.size(), dataLength);
                std::memcpy(inData, m_firmware.data(), n);
                ok = true;
            } else if (cdb[5] == kFunctionVerify && dataLength >= kVerifyReplyLength) {
                uint32_t length = GetBe16(cdb + 7);
                if (length == 0) length = kFullVerifyLength;
                const uint32_t address = GetBe24(cdb + 11);
                uint32_t sum = 0;
                for (uint32_t i = 0; i < length; ++i) {
                    sum += m_flash[(uint64_t{address} + i) % m_flash.size()];
                }
                if (TakeFault(SimFault::WrongVerify)) ++sum;
                PutBe16(inData, sum & 0xFFFF);
                ok = true;
            }
            return ok;
        }
        case kOpVendorDataOut:
            if (dataIn || cdb[5] != kFunctionFlash) return false;
            return HandleFlash(false, cdb, dataLength, nullptr, outData);
        default:
            return false;  // the firmware knows no other command
    }
}

bool SimulatedFrame::CanModifyFlash() const {
    return m_writeEnabled && (m_statusRegister & kProtectBits) == 0;
}

bool SimulatedFrame::HandleFlash(bool dataIn, const uint8_t* cdb, uint32_t dataLength,
                                 uint8_t* inData, const uint8_t* outData) {
    const uint8_t instructionLength = cdb[6];
    const uint8_t instruction = cdb[10];
    const uint32_t length = GetBe24(cdb + 7);
    const uint32_t address = GetBe24(cdb + 11);
    const uint64_t size = m_flash.size();

    if (dataIn) {
        if (instruction == kFlashReadStatus && instructionLength == 1 && dataLength > 0) {
            ++m_statusReads;
            bool busy = m_stuckBusy || m_busyLeft > 0;
            if (m_busyLeft > 0) --m_busyLeft;
            inData[0] =
                static_cast<uint8_t>(m_statusRegister | (m_writeEnabled ? kWriteEnableLatch : 0) |
                                     (busy ? kFlashBusyBit : 0));
            return true;
        }
        if (instruction == kFlashRead && instructionLength == 4 && length == dataLength) {
            for (uint32_t i = 0; i < length; ++i)
                inData[i] = m_flash[(uint64_t{address} + i) % size];
            if (length > 0 && TakeFault(SimFault::FlipReadBit)) inData[0] ^= 0x01;
            return true;
        }
        return false;
    }

    if (instruction == kFlashWriteEnable && instructionLength == 1) {
        m_writeEnabled = true;
        return true;
    }
    if (instruction == kFlashWriteStatus && instructionLength == 2) {
        if (m_writeEnabled) {
            m_statusRegister = cdb[11] & kWritableBits;
            m_writeEnabled = false;
        }
        return true;
    }
    if (instruction == kFlashWake && instructionLength == 1) {
        ++m_wakes;
        return true;
    }
    if (instruction == kFlashPageProgram && instructionLength == 4) {
        if (length != dataLength || length == 0) return false;
        m_programs.push_back({address, length, cdb[15]});
        const bool corrupt = TakeFault(SimFault::CorruptProgram);
        // A protected or not write-enabled flash ignores the program, as the chip does.
        if (!CanModifyFlash()) return true;
        for (uint32_t i = 0; i < length; ++i) {
            uint8_t byte = outData[i];
            if (i == 0 && corrupt) byte ^= 0x01;
            m_flash[(uint64_t{address} + i) % size] &= byte;  // programming only clears bits
        }
        m_writeEnabled = false;
        m_busyLeft = m_busyPolls;
        return Persist(address, length);
    }
    if (instruction == m_eraseOpcode && instructionLength == 4 && dataLength == 0) {
        m_erases.push_back(address);
        if (!CanModifyFlash()) return true;
        const uint32_t block =
            static_cast<uint32_t>((address % size) & ~uint64_t{kFlashBlockLength - 1});
        std::fill(m_flash.begin() + block, m_flash.begin() + block + kFlashBlockLength, 0xFF);
        m_writeEnabled = false;
        m_busyLeft = m_busyPolls;
        return Persist(block, kFlashBlockLength);
    }
    return false;
}

bool SimulatedFrame::Persist(uint32_t address, uint32_t length) {
    // Ranges may wrap around the end of the flash, as the chip's addressing does.
    const uint64_t size = m_flash.size();
    uint64_t start = address % size;
    uint64_t left = std::min<uint64_t>(length, size);
    while (left > 0) {
        uint64_t n = std::min<uint64_t>(left, size - start);
        uint64_t done = 0;
        while (done < n) {
            ssize_t w = ::pwrite(m_fd, m_flash.data() + start + done, n - done,
                                 static_cast<off_t>(start + done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += static_cast<uint64_t>(w);
        }
        left -= n;
        start = 0;
    }
    return ::fdatasync(m_fd) == 0;
}

void SimulatedFrame::SetPlugged(bool plugged) {
    if (m_plugged == plugged) return;
    m_plugged = plugged;
    if (plugged) ++m_arrival;
    // A replugged frame has been power-cycled: its flash comes up protected and idle.
    m_statusRegister = kProtectBits;
    m_writeEnabled = false;
    m_busyLeft = 0;
    if (!m_changeIsInotify) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_changeFd, &one, sizeof one);
    }
}

void SimulatedFrame::PullOutLocked() {
    m_outWithoutMarker = !WriteMarker(m_marker, true);
    SetPlugged(false);
}

void SimulatedFrame::RefreshPlugLocked() {
    if (MarkerExists(m_marker)) {
        SetPlugged(false);
    } else if (!m_outWithoutMarker) {
        SetPlugged(true);
    }
}

void SimulatedFrame::Plug() {
    std::lock_guard lock(m_mutex);
    WriteMarker(m_marker, false);
    m_outWithoutMarker = false;
    SetPlugged(true);
}

void SimulatedFrame::Unplug() {
    std::lock_guard lock(m_mutex);
    PullOutLocked();
}

bool SimulatedFrame::IsPlugged() {
    std::lock_guard lock(m_mutex);
    RefreshPlugLocked();
    return m_plugged;
}

uint64_t SimulatedFrame::Arrival() {
    std::lock_guard lock(m_mutex);
    RefreshPlugLocked();
    return m_plugged ? m_arrival : 0;
}

void SimulatedFrame::DrainChangeFd() {
    bool markerCame = false;
    if (m_changeIsInotify) {
        const std::string name = m_marker.filename().string();
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_changeFd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            size_t at = 0;
            while (at + sizeof(inotify_event) <= static_cast<size_t>(n)) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                const char* eventName = buffer + at + sizeof(inotify_event);
                if ((event.mask & (IN_CREATE | IN_MOVED_TO)) != 0 && event.len > 0 &&
                    name == std::string(eventName, ::strnlen(eventName, event.len))) {
                    markerCame = true;
                }
                at += sizeof(inotify_event) + event.len;
            }
        }
    } else {
        uint64_t value = 0;
        [[maybe_unused]] ssize_t n = ::read(m_changeFd, &value, sizeof value);
    }
    std::lock_guard lock(m_mutex);
    // A marker that came and went again since the last look still was an unplug: the frame
    // that is back is a new arrival.
    if (markerCame) SetPlugged(false);
    RefreshPlugLocked();
}

void SimulatedFrame::InjectFault(SimFault kind, uint64_t nthCommand) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back({kind, std::max<uint64_t>(nthCommand, 1)});
}

void SimulatedFrame::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void SimulatedFrame::SetBusyPolls(int polls) {
    std::lock_guard lock(m_mutex);
    m_busyPolls = std::max(polls, 0);
}

void SimulatedFrame::SetStuckBusy(bool stuck) {
    std::lock_guard lock(m_mutex);
    m_stuckBusy = stuck;
}

void SimulatedFrame::SetLinkModel(LinkModel model) {
    std::lock_guard lock(m_mutex);
    m_link = model;
}

uint64_t SimulatedFrame::TotalCommands() const {
    std::lock_guard lock(m_mutex);
    return m_totalCommands;
}

std::vector<uint32_t> SimulatedFrame::EraseAddresses() const {
    std::lock_guard lock(m_mutex);
    return m_erases;
}

std::vector<SimulatedFrame::ProgramRecord> SimulatedFrame::Programs() const {
    std::lock_guard lock(m_mutex);
    return m_programs;
}

std::vector<CommandBlock> SimulatedFrame::ClockBlocks() const {
    std::lock_guard lock(m_mutex);
    return m_clocks;
}

int SimulatedFrame::WakeCount() const {
    std::lock_guard lock(m_mutex);
    return m_wakes;
}

int SimulatedFrame::StatusReads() const {
    std::lock_guard lock(m_mutex);
    return m_statusReads;
}

void SimulatedFrame::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_totalCommands = 0;
    m_erases.clear();
    m_programs.clear();
    m_clocks.clear();
    m_wakes = 0;
    m_statusReads = 0;
}

std::vector<uint8_t> SimulatedFrame::Flash() const {
    std::lock_guard lock(m_mutex);
    return m_flash;
}

bool SimulatedFrame::Poke(uint32_t address, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(m_mutex);
    if (uint64_t{address} + bytes.size() > m_flash.size()) return false;
    std::copy(bytes.begin(), bytes.end(), m_flash.begin() + address);
    return Persist(address, static_cast<uint32_t>(bytes.size()));
}

}  // namespace framewise
