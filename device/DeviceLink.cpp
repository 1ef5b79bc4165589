#include "device/DeviceLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// A node as it is now: its path and the file behind it, so that a node made anew under the
// same name (a replugged frame) counts as another.
std::string NodeIdentity(const std::string& node) {
    struct stat st {};
    if (::stat(node.c_str(), &st) != 0) return node;
    return node + "#" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_rdev);
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
    uint64_t arrival = 0;
    const ScanOutcome outcome = ScanReporting(arrival);
    m_present = outcome == ScanOutcome::Found || outcome == ScanOutcome::Held;
    m_reportedArrival = arrival;
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
    uint64_t arrival = 0;
    const ScanOutcome outcome = ScanReporting(arrival);
    return outcome == ScanOutcome::Found || outcome == ScanOutcome::Held;
}

DeviceLink::ScanOutcome DeviceLink::ScanReporting(uint64_t& arrival) {
    ScanNotes notes;
    ScanOutcome outcome;
    std::string held;
    {
        std::lock_guard lock(m_lock);
        outcome = ScanLocked(notes);
        arrival = m_arrivals;
        held = m_heldNode;
    }
    // Said outside the lock: a frontend may take its time answering.
    if (!notes.deniedNode.empty()) {
        const int language = m_options.languageIndex ? m_options.languageIndex() : 0;
        m_frontend.ShowMessage(AccessDeniedText(language, notes.deniedNode));
    }
    if (!notes.ignoredNode.empty()) {
        m_frontend.SetStatusText("A second DPF (" + notes.ignoredNode + ") is ignored while " +
                                 held + " is in use.");
    }
    return outcome;
}

DeviceLink::ScanOutcome DeviceLink::ScanLocked(ScanNotes& notes) {
    if (m_options.simulatedFrame) return ScanSimulatedLocked();
    return ScanSysfsLocked(notes);
}

DeviceLink::ScanOutcome DeviceLink::ScanSimulatedLocked() {
    const uint64_t arrival = m_options.simulatedFrame->Arrival();
    if (m_transport) {
        if (arrival != 0 && arrival == m_simulatedArrival) return ScanOutcome::Held;
        // Gone, or pulled out and put back since the last look: the frame held has gone.
        CloseDeviceLocked();
        return ScanOutcome::Lost;
    }
    if (arrival == 0) return ScanOutcome::None;
    m_transport = m_options.simulatedFrame.get();
    m_simulatedArrival = arrival;
    ++m_arrivals;
    SetIdentityLocked(m_options.simulatedFrame->ImagePath().string(), kSimulatedVendor,
                      kSimulatedProduct);
    return ScanOutcome::Found;
}

DeviceLink::ScanOutcome DeviceLink::ScanSysfsLocked(ScanNotes& notes) {
    const auto devices = ListScsiGenericDevices(m_options.sysfsRoot, m_options.devRoot);
    if (m_fd >= 0) {
        // The frame held stays the frame while it is there; other frames are not even opened,
        // so neither their permissions nor another program holding them can disturb it.
        auto isHeld = [&](const ScsiGenericDevice& d) {
            return d.node == m_heldNode && IsSupportedFrame(d);
        };
        const bool stillThere = std::any_of(devices.begin(), devices.end(), isHeld) &&
                                SameNode(m_fd, m_heldNode);  // a replugged frame gets a new node
        if (!stillThere) {
            CloseDeviceLocked();
            return ScanOutcome::Lost;
        }
        for (const auto& device : devices) {
            if (device.node != m_heldNode && IsSupportedFrame(device) &&
                m_ignoredNodes.insert(device.node).second && notes.ignoredNode.empty()) {
                notes.ignoredNode = device.node;
            }
        }
        return ScanOutcome::Held;
    }
    for (const auto& device : devices) {
        // Qualify from sysfs before opening: other CD-ROM drives are never opened, so
        // their permissions cannot stop the scan.
        if (!IsSupportedFrame(device)) continue;
        errno = 0;
        int fd = m_options.openNode ? m_options.openNode(device.node) : OpenExclusive(device.node);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM) {
                // Said once for a node that stays denied scan after scan (a polled or busy
                // bus rescans often); a node that has come anew is said again.
                const std::string identity = NodeIdentity(device.node);
                if (identity != m_deniedShown) notes.deniedNode = device.node;
                m_deniedShown = identity;
                return ScanOutcome::None;
            }
            continue;  // busy (another program holds it) or gone: next device
        }
        m_deniedShown.clear();
        TakeNodeLocked(fd, device.node, device.vendor, device.product);
        return ScanOutcome::Found;
    }
    m_deniedShown.clear();
    return ScanOutcome::None;
}

void DeviceLink::TakeNodeLocked(int fd, const std::string& node, const std::string& vendor,
                                const std::string& product) {
    m_fd = fd;
    m_sgTransport =
        m_options.makeTransport ? m_options.makeTransport(fd) : std::make_unique<SgTransport>(fd);
    m_transport = m_sgTransport.get();
    m_heldNode = node;
    m_ignoredNodes.clear();
    ++m_arrivals;
    SetIdentityLocked(node, vendor, product);
}

void DeviceLink::SetIdentityLocked(const std::string& path, const std::string& vendor,
                                   const std::string& product) {
    std::lock_guard identity(m_identityLock);
    m_devicePath = path;
    m_vendor = vendor;
    m_product = product;
}

void DeviceLink::CloseDeviceLocked() {
    m_transport = nullptr;
    m_sgTransport.reset();
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_heldNode.clear();
    m_simulatedArrival = 0;
    m_ignoredNodes.clear();
    SetIdentityLocked({}, {}, {});
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
    uint64_t arrival = 0;
    ScanOutcome outcome = ScanReporting(arrival);
    // The frame held has gone: look again at once, so that a frame ignored meanwhile is found
    // now (no further device event may come for it), reported after the removal.
    if (outcome == ScanOutcome::Lost) outcome = ScanReporting(arrival);
    const bool found = outcome == ScanOutcome::Found || outcome == ScanOutcome::Held;
    if (m_present.load() && (!found || arrival != m_reportedArrival)) {
        m_present = false;
        m_frontend.PostEvent("HIDDEVICECHANGE", 0);
    }
    if (found && !m_present.load()) {
        m_present = true;
        m_reportedArrival = arrival;
        m_frontend.PostEvent("HIDDEVICECHANGE", 1);
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
    std::lock_guard lock(m_identityLock);
    return m_devicePath;
}

std::string DeviceLink::Vendor() const {
    std::lock_guard lock(m_identityLock);
    return m_vendor;
}

std::string DeviceLink::Product() const {
    std::lock_guard lock(m_identityLock);
    return m_product;
}

}  // namespace framewise
