// Finds the frame among the SCSI generic devices, keeps one exclusive handle to it, notices
// devices coming and going, and carries every command to it (or to a simulated frame).
//
// The frame held stays the frame for as long as it is present, whatever else appears: a
// second frame is ignored (said once on the status line) until the first has gone, is then
// reported as gone ("HIDDEVICECHANGE" 0) and only after that may another frame be found
// (a new arrival, 1), so an album is never written into a frame it was not read from.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "config/Frontend.h"
#include "device/DeviceChannel.h"
#include "device/DeviceMonitor.h"
#include "device/ScsiTransport.h"

namespace framewise {

class SimulatedFrame;

struct DeviceLinkOptions {
    std::filesystem::path sysfsRoot = "/sys";
    std::filesystem::path devRoot = "/dev";
    // The current language index, for the access-denied texts; null means 0.
    std::function<int()> languageIndex;
    // When set, scans "find" this frame while it is plugged instead of looking at sysfs.
    std::shared_ptr<SimulatedFrame> simulatedFrame;
    // False keeps the link on the polling fallback even where udev works (tests).
    bool useUdev = true;
    // Opens a device node; answers the descriptor, or -1 with errno set. Null: open(2)
    // read-write and exclusive. Tests put their own here.
    std::function<int(const std::string& node)> openNode;
    // Wraps an opened node in the transport its commands go through. Null: SG_IO
    // (SgTransport). Tests put their own here.
    std::function<std::unique_ptr<ScsiTransport>(int fd)> makeTransport;
};

// The access-denied texts by language index, the node in place of %s.
std::string AccessDeniedText(int languageIndex, const std::string& node);

class DeviceLink : public DeviceChannel {
  public:
    // How often the polling fallback should be driven (Poll) where there is no udev.
    static constexpr std::chrono::seconds kPollInterval{2};

    DeviceLink(Frontend& frontend, DeviceLinkOptions options);
    ~DeviceLink() override;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Sets up the change notification (udev, the simulator's, or polling) and runs the
    // first scan, whose answer becomes the present flag. True when set up.
    bool Start();
    bool IsPresent() const override { return m_present.load(); }
    // Looks for a frame and opens it; true when one is open afterwards. A frame already held
    // is kept while present; when it has gone the answer is false even if another frame is
    // there (the next scan takes that one).
    bool Scan();
    // Releases the change notification; safe to run twice. The device handle stays open
    // until destruction.
    void Teardown();

    // Readable when devices may have changed; -1 on the polling fallback.
    int NotificationFd() const;
    // After NotificationFd became readable: take the events, rescan, and post
    // "HIDDEVICECHANGE" (1 found and opened, 0 gone) when presence changed.
    void HandleNotification();
    // The polling fallback: rescan and report as HandleNotification does.
    void Poll();

    bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength, uint8_t* data) override;
    bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                     const uint8_t* data) override;

    // The open frame's node (the image path for a simulated frame), vendor and product
    // texts; empty when none is open. They never wait behind a running transfer.
    std::string DevicePath() const;
    std::string Vendor() const;
    std::string Product() const;

  private:
    enum class ScanOutcome {
        None,   // no frame
        Found,  // a frame opened by this scan: a new arrival
        Held,   // the frame held before is still there
        Lost,   // the frame held before has gone (and was closed)
    };
    // What a scan leaves to be said once the lock is let go.
    struct ScanNotes {
        std::string deniedNode;
        std::string ignoredNode;
    };
    ScanOutcome ScanReporting(uint64_t& arrival);
    ScanOutcome ScanLocked(ScanNotes& notes);
    ScanOutcome ScanSimulatedLocked();
    ScanOutcome ScanSysfsLocked(ScanNotes& notes);
    void TakeNodeLocked(int fd, const std::string& node, const std::string& vendor,
                        const std::string& product);
    void SetIdentityLocked(const std::string& path, const std::string& vendor,
                           const std::string& product);
    void CloseDeviceLocked();
    void RescanAndReport();

    Frontend& m_frontend;
    DeviceLinkOptions m_options;
    std::atomic<bool> m_present{false};
    mutable std::mutex m_lock;  // the scan lock; also serialises the transfers
    int m_fd = -1;
    std::unique_ptr<ScsiTransport> m_sgTransport;
    ScsiTransport* m_transport = nullptr;  // the transport of the open frame
    std::string m_heldNode;                // the node of m_fd (empty for a simulated frame)
    uint64_t m_simulatedArrival = 0;       // the simulated frame's arrival that is held
    uint64_t m_arrivals = 0;               // frames opened so far; counts every new arrival
    std::set<std::string> m_ignoredNodes;  // other frames already mentioned while one is held
    std::string m_deniedShown;             // the denied node last shown, while it stays so
    // The present flag's arrival as last reported, on the thread that reports.
    uint64_t m_reportedArrival = 0;

    // The identity of the open frame, under its own lock so that asking for it never waits
    // behind a transfer (which holds m_lock for as long as the device takes). Written with
    // both locks held, m_lock first.
    mutable std::mutex m_identityLock;
    std::string m_devicePath;
    std::string m_vendor;
    std::string m_product;

    DeviceMonitor m_monitor;
    std::atomic<bool> m_started{false};
};

}  // namespace framewise
