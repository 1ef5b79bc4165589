// Finds the frame among the SCSI generic devices, keeps one exclusive handle to it, notices
// devices coming and going, and carries every command to it (or to a simulated frame).
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
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
    // Looks for a frame and opens it; true when one is open afterwards.
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
    // texts; empty when none is open.
    std::string DevicePath() const;
    std::string Vendor() const;
    std::string Product() const;

  private:
    bool ScanLocked(std::string& deniedNode);
    bool ScanSysfsLocked(std::string& deniedNode);
    void CloseDeviceLocked();
    void RescanAndReport();

    Frontend& m_frontend;
    DeviceLinkOptions m_options;
    std::atomic<bool> m_present{false};
    mutable std::mutex m_lock;  // the scan lock; also serialises the transfers
    int m_fd = -1;
    std::unique_ptr<ScsiTransport> m_sgTransport;
    ScsiTransport* m_transport = nullptr;  // the transport of the open frame
    std::string m_devicePath;
    std::string m_vendor;
    std::string m_product;
    DeviceMonitor m_monitor;
    std::atomic<bool> m_started{false};
};

}  // namespace framewise
