#include "device/DeviceLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "device/SgTransport.h"
#include "device/SimulatedFrame.h"
#include "device/SysfsScan.h"

namespace framewise {

namespace {
constexpr const char* kSimulatedVendor = "Quelmora";
constexpr const char* kSimulatedProduct = "Simulated frame";

int OpenExclusive(const std::string& node) {
    // O_EXCL on an sg node refuses a second opener (O_NONBLOCK makes that EBUSY instead of
    // a wait), so no other program can drive the frame while we hold it. SG_IO itself
    // always blocks until the command completes.
    return ::open(node.c_str(), O_RDWR | O_EXCL | O_NONBLOCK | O_CLOEXEC);
}

// Whether fd still refers to the file now at node (a replugged frame gets a new node).
bool SameNode(int fd, const std::string& node) {
    struct stat a {
    }, b{};
    if (::fstat(fd, &a) != 0 || ::stat(node.c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_rdev == b.st_rdev;
}

std::string Format(const char* pattern, const std::string& node) {
    std::string text = pattern;
    auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, node);
    return text;
}
}  // namespace

std::string AccessDeniedText(int languageIndex, const std::string& node) {
    std::string text;
    switch (languageIndex) {
        case 0:
            text = Format("Refuse Access %s.Please access as an administrator.", node);
            break;
        case 1:
            text = Format("拒绝访问 %s.请使用管理员权限.", node);
            break;
        default:
            text = Format("Open the drv %s Error.", node);
            break;
    }
    // On Linux the cure is the udev rule rather than administrator rights.
    return text +
           "\n(Install 70-framewise.rules into /etc/udev/rules.d or /lib/udev/rules.d "
           "so that the logged-in user may open the frame, then replug it.)";
}

DeviceLink::DeviceLink(Frontend& frontend, DeviceLinkOptions options)
    : m_frontend(frontend), m_options(std::move(options)) {}

DeviceLink::~DeviceLink() {
    Teardown();
    std::lock_guard lock(m_lock);
    CloseDeviceLocked();
}

bool DeviceLink::Start() {
    if (!m_options.simulatedFrame && m_options.useUdev) m_monitor.Open();
    m_started = true;
    m_present = Scan();
    return true;
}

void DeviceLink::Teardown() {
    m_monitor.Close();
    m_started = false;
}

int DeviceLink::NotificationFd() const {
    if (!m_started) return -1;
    if (m_options.simulatedFrame) return m_options.simulatedFrame->ChangeFd();
    return m_monitor.Fd();
}

bool DeviceLink::Scan() {
    std::string deniedNode;
    bool found;
    {
        std::lock_guard lock(m_lock);
        found = ScanLocked(deniedNode);
    }
    // The message is shown outside the lock: a frontend may take its time answering.
    if (!deniedNode.empty()) {
        const int language = m_options.languageIndex ? m_options.languageIndex() : 0;
        m_frontend.ShowMessage(AccessDeniedText(language, deniedNode));
    }
    return found;
}

bool DeviceLink::ScanLocked(std::string& deniedNode) {
    if (m_options.simulatedFrame) {
        CloseDeviceLocked();
        if (!m_options.simulatedFrame->IsPlugged()) return false;
        m_transport = m_options.simulatedFrame.get();
        m_devicePath = m_options.simulatedFrame->ImagePath().string();
        m_vendor = kSimulatedVendor;
        m_product = kSimulatedProduct;
        return true;
    }
    return ScanSysfsLocked(deniedNode);
}

bool DeviceLink::ScanSysfsLocked(std::string& deniedNode) {
    for (const auto& device : ListScsiGenericDevices(m_options.sysfsRoot, m_options.devRoot)) {
        // Qualify from sysfs before opening: other CD-ROM drives are never opened, so
        // their permissions cannot stop the scan.
        if (!IsSupportedFrame(device)) continue;
        if (m_fd >= 0 && device.node == m_devicePath && SameNode(m_fd, device.node)) {
            return true;  // still the frame we hold; reopening would fail on our own lock
        }
        CloseDeviceLocked();
        errno = 0;
        int fd = m_options.openNode ? m_options.openNode(device.node) : OpenExclusive(device.node);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM) {
                deniedNode = device.node;
                return false;
            }
            continue;  // busy (another program holds it) or gone: next device
        }
        m_fd = fd;
        m_sgTransport = std::make_unique<SgTransport>(fd);
        m_transport = m_sgTransport.get();
        m_devicePath = device.node;
        m_vendor = device.vendor;
        m_product = device.product;
        return true;
    }
    CloseDeviceLocked();
    return false;
}

void DeviceLink::CloseDeviceLocked() {
    m_transport = nullptr;
    m_sgTransport.reset();
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_devicePath.clear();
    m_vendor.clear();
    m_product.clear();
}

void DeviceLink::HandleNotification() {
    if (m_options.simulatedFrame) {
        m_options.simulatedFrame->DrainChangeFd();
    } else {
        m_monitor.Drain();
    }
    RescanAndReport();
}

void DeviceLink::Poll() {
    RescanAndReport();
}

void DeviceLink::RescanAndReport() {
    const bool found = Scan();
    if (found != m_present.load()) {
        m_present = found;
        m_frontend.PostEvent("HIDDEVICECHANGE", found ? 1 : 0);
    }
}

bool DeviceLink::SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength, uint8_t* data) {
    std::lock_guard lock(m_lock);
    return m_transport && m_transport->SendDataIn(cdb, cdbLength, dataLength, data);
}

bool DeviceLink::SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                             const uint8_t* data) {
    std::lock_guard lock(m_lock);
    return m_transport && m_transport->SendDataOut(cdb, cdbLength, dataLength, data);
}

std::string DeviceLink::DevicePath() const {
    std::lock_guard lock(m_lock);
    return m_devicePath;
}

std::string DeviceLink::Vendor() const {
    std::lock_guard lock(m_lock);
    return m_vendor;
}

std::string DeviceLink::Product() const {
    std::lock_guard lock(m_lock);
    return m_product;
}

}  // namespace framewise
