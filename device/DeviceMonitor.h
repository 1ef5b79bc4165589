// Device-change notification: a udev monitor on the scsi_generic subsystem whose descriptor
// becomes readable when a node comes or goes; unavailable where udev is missing.
#pragma once

struct udev;
struct udev_monitor;

namespace framewise {

class DeviceMonitor {
  public:
    DeviceMonitor() = default;
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;
    ~DeviceMonitor();

    // False when udev is not built in or the monitor cannot be set up (no netlink access).
    bool Open();
    void Close();
    bool IsOpen() const { return m_monitor != nullptr; }
    // -1 when not open.
    int Fd() const;
    // Takes every pending event off the descriptor without blocking.
    void Drain();

  private:
    ::udev* m_udev = nullptr;
    ::udev_monitor* m_monitor = nullptr;
};

}  // namespace framewise
