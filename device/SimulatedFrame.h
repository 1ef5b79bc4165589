// A frame in software: answers every command of the command set as the frame's firmware
// and serial flash would, over a flash image file, with plug/unplug and fault injection.
//
// The plug state lives beside the image, so that another program can pull the frame out of
// a running one (framewise-cli sim unplug IMAGE) and put it back (sim plug IMAGE): while the
// marker file "IMAGE.unplugged" exists the frame is out. Every command checks the marker, so
// a frame pulled out in the middle of a transfer fails the next command as a real one does;
// the change descriptor (inotify on the image's folder) becomes readable when the marker
// comes or goes, as a udev event would; an image whose marker exists opens unplugged.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/CommandBlocks.h"
#include "device/FrameImage.h"
#include "device/ScsiTransport.h"

namespace framewise {

// Faults a test can arm. Commands are counted from the moment the fault is armed: n = 1
// is the very next command. FailTransfer and Unplug hit exactly the nth command (Unplug
// pulls the frame out just before it, so that command fails too). FlipReadBit, WrongVerify
// and CorruptProgram hit the first command of their kind (a flash read, a verify value, a
// page program) from the nth on.
enum class SimFault {
    FailTransfer,    // the transfer fails; the command has no effect
    FlipReadBit,     // bit 0 of the first byte of a flash read comes back flipped
    CorruptProgram,  // the page program stores its first byte with bit 0 flipped
    WrongVerify,     // the verify value comes back one too high
    Unplug,          // the frame is unplugged (the marker is left behind: it stays out)
};

// The marker whose presence means the frame over image is unplugged: "<image>.unplugged".
std::filesystem::path UnpluggedMarkerPath(const std::filesystem::path& image);

// Pulls the simulated frame over image out (creates the marker) or puts it back (removes
// it), whether or not a program has the image open. False with a reason when image is no
// file or the marker cannot be made or removed.
bool SetImagePlugged(const std::filesystem::path& image, bool plugged, std::string& error);

class SimulatedFrame : public ScsiTransport {
  public:
    struct LinkModel {
        std::chrono::microseconds latency{0};  // per command
        uint64_t bytesPerSecond = 0;           // 0: no limit
    };
    // Roughly a USB full-speed mass-storage frame.
    static LinkModel UsbFullSpeed() { return {std::chrono::microseconds(1000), 900000}; }

    struct ProgramRecord {
        uint32_t address = 0;
        uint32_t length = 0;
        uint8_t flagByte = 0;  // command byte 15
    };

    // Opens the image (its size a multiple of 64 KB, at most 16 MB); the frame starts
    // plugged unless the image's unplugged marker exists. Null with a reason on failure.
    static std::shared_ptr<SimulatedFrame> Open(const std::filesystem::path& image,
                                                std::string& error);
    ~SimulatedFrame() override;
    SimulatedFrame(const SimulatedFrame&) = delete;
    SimulatedFrame& operator=(const SimulatedFrame&) = delete;

    bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength, uint8_t* data) override;
    bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                     const uint8_t* data) override;

    // Plugging state, kept in the marker file. Plug and Unplug change the marker (and the
    // state at once); IsPlugged and Arrival also take up a change another program made.
    void Plug();
    void Unplug();
    bool IsPlugged();
    // 0 while unplugged, else which plug-in this is (1 for the first). A new number is a
    // new arrival even when the state looks the same: a frame pulled out and put back
    // between two looks has been power-cycled, as a replugged real frame gets a new node.
    uint64_t Arrival();
    // Readable when the plug state may have changed.
    int ChangeFd() const { return m_changeFd; }
    // Takes the pending changes off ChangeFd and brings the state up to date.
    void DrainChangeFd();

    void InjectFault(SimFault kind, uint64_t nthCommand = 1);
    void ClearFaults();
    // Status reads that answer busy after each erase and program (default 2).
    void SetBusyPolls(int polls);
    // The status register answers busy for good (a hung flash).
    void SetStuckBusy(bool stuck);
    void SetLinkModel(LinkModel model);
    // The time the link model has made commands take, summed since the frame was opened.
    std::chrono::microseconds LinkTime() const {
        return std::chrono::microseconds(m_linkTime.load());
    }

    // What the frame has been told.
    uint64_t TotalCommands() const;
    std::vector<uint32_t> EraseAddresses() const;
    std::vector<ProgramRecord> Programs() const;
    std::vector<CommandBlock> ClockBlocks() const;
    int WakeCount() const;
    int StatusReads() const;
    void ClearLog();

    // The flash bytes in memory (the image file holds the same).
    std::vector<uint8_t> Flash() const;
    uint32_t FlashSize() const { return static_cast<uint32_t>(m_flash.size()); }
    // Writes bytes straight into the flash (and the file), bypassing the command set.
    bool Poke(uint32_t address, const std::vector<uint8_t>& bytes);
    std::string FirmwareVersion() const { return m_firmware; }
    const std::filesystem::path& ImagePath() const { return m_image; }
    uint8_t EraseOpcode() const { return m_eraseOpcode; }

  private:
    struct Fault {
        SimFault kind;
        uint64_t countdown;  // commands left before it may fire (1 = this one)
    };

    SimulatedFrame() = default;
    bool Handle(bool dataIn, const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                uint8_t* inData, const uint8_t* outData);
    bool TakeFault(SimFault kind);
    void AdvanceFaults();
    void SetPlugged(bool plugged);
    void PullOutLocked();
    void RefreshPlugLocked();
    bool Persist(uint32_t address, uint32_t length);
    void SleepForLink(uint32_t bytes) const;

    bool HandleFlash(bool dataIn, const uint8_t* cdb, uint32_t dataLength, uint8_t* inData,
                     const uint8_t* outData);
    bool CanModifyFlash() const;

    mutable std::mutex m_mutex;
    std::filesystem::path m_image;
    int m_fd = -1;
    int m_changeFd = -1;
    bool m_changeIsInotify = false;  // else an eventfd that only this process's changes reach
    std::filesystem::path m_marker;
    std::vector<uint8_t> m_flash;
    std::string m_firmware;
    uint8_t m_eraseOpcode = kFlashDefaultBlockErase;

    bool m_plugged = true;
    uint64_t m_arrival = 1;
    // Unplugged by this process although the marker could not be made: the missing marker
    // must not plug it back in.
    bool m_outWithoutMarker = false;
    uint8_t m_statusRegister = 0x1C;  // block protection set, as at power-up
    bool m_writeEnabled = false;
    int m_busyLeft = 0;
    int m_busyPolls = 2;
    bool m_stuckBusy = false;
    LinkModel m_link;
    mutable std::atomic<int64_t> m_linkTime{0};  // microseconds
    std::vector<Fault> m_faults;

    uint64_t m_totalCommands = 0;
    std::vector<uint32_t> m_erases;
    std::vector<ProgramRecord> m_programs;
    std::vector<CommandBlock> m_clocks;
    int m_wakes = 0;
    int m_statusReads = 0;
};

}  // namespace framewise
