#include "device/DeviceMonitor.h"

#ifdef FRAMEWISE_HAVE_UDEV
#include <libudev.h>
#endif

namespace framewise {

DeviceMonitor::~DeviceMonitor() {
    Close();
}

#ifdef FRAMEWISE_HAVE_UDEV

bool DeviceMonitor::Open() {
    if (m_monitor) return true;
    m_udev = udev_new();
    if (!m_udev) return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "scsi_generic", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0 || udev_monitor_get_fd(m_monitor) < 0) {
        Close();
        return false;
    }
    return true;
}

void DeviceMonitor::Close() {
    if (m_monitor) udev_monitor_unref(m_monitor);
    if (m_udev) udev_unref(m_udev);
    m_monitor = nullptr;
    m_udev = nullptr;
}

int DeviceMonitor::Fd() const {
    return m_monitor ? udev_monitor_get_fd(m_monitor) : -1;
}

void DeviceMonitor::Drain() {
    if (!m_monitor) return;
    // The monitor's socket is non-blocking: receive answers null once nothing is pending.
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        udev_device_unref(device);
    }
}

#else

bool DeviceMonitor::Open() {
    return false;
}
void DeviceMonitor::Close() {}
int DeviceMonitor::Fd() const {
    return -1;
}
void DeviceMonitor::Drain() {}

#endif

}  // namespace framewise
