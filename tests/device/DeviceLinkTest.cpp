#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "DeviceTestSupport.h"
#include "config/RecordingFrontend.h"
#include "device/DeviceLink.h"
#include "device/SimulatedFrame.h"

using namespace framewise;
using namespace framewise::test;
namespace fs = std::filesystem;

namespace {

// A sysfs tree and a /dev folder of plain files, shaped like the kernel's.
class FakeSystem {
  public:
    FakeSystem() {
        fs::create_directories(sys() / "class" / "scsi_generic");
        fs::create_directories(dev());
    }
    fs::path sys() const { return m_root.path() / "sys"; }
    fs::path dev() const { return m_root.path() / "dev"; }

    void Add(int n, const std::string& vendor, int type = 5, bool usb = true) {
        const std::string host = "host" + std::to_string(n);
        fs::path device = sys() / "devices" / "pci0000:00" / "0000:00:14.0";
        device /= usb ? fs::path("usb1") / "1-1" / "1-1:1.0" / host : fs::path("ata1") / host;
        device /= "target" + std::to_string(n) + ":0:0";
        device /= std::to_string(n) + ":0:0:0";
        fs::create_directories(device);
        Write(device / "type", std::to_string(type) + "\n");
        Write(device / "vendor", vendor + "\n");
        Write(device / "model", "Photo Frame     \n");
        const fs::path entry = sys() / "class" / "scsi_generic" / ("sg" + std::to_string(n));
        fs::create_directories(entry);
        fs::create_directory_symlink(device, entry / "device");
        Write(dev() / ("sg" + std::to_string(n)), "");
    }
    void Remove(int n) {
        fs::remove_all(sys() / "class" / "scsi_generic" / ("sg" + std::to_string(n)));
        fs::remove(dev() / ("sg" + std::to_string(n)));
    }
    std::string Node(int n) const { return (dev() / ("sg" + std::to_string(n))).string(); }

    DeviceLinkOptions Options() const {
        DeviceLinkOptions o;
        o.sysfsRoot = sys();
        o.devRoot = dev();
        o.useUdev = false;
        return o;
    }

  private:
    static void Write(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
    TempFolder m_root;
};

}  // namespace

TEST(DeviceLink, ScanTakesOnlyUsbCdRomsOfTheVendor) {
    FakeSystem sys;
    sys.Add(0, "Generic");             // other vendor
    sys.Add(1, "QUELMORA", 5, false);  // not on USB
    sys.Add(2, "QUELMORA", 0);         // a disk, not a CD-ROM
    sys.Add(10, "QUELMORA");           // qualifies, but sg3 comes first
    sys.Add(3, "QuelMora Tech");       // qualifies: capitals do not matter
    RecordingFrontend fe;
    std::vector<std::string> opened;
    DeviceLinkOptions o = sys.Options();
    o.openNode = [&](const std::string& node) {
        opened.push_back(node);
        return ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    };
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    EXPECT_TRUE(link.IsPresent());
    EXPECT_EQ(link.DevicePath(), sys.Node(3));
    EXPECT_EQ(link.Vendor(), "QuelMora Tech");
    EXPECT_EQ(link.Product(), "Photo Frame");
    // Drives that do not qualify are never opened.
    EXPECT_EQ(opened, std::vector<std::string>{sys.Node(3)});

    // A rescan keeps the handle it holds instead of reopening (exclusive) the same node.
    EXPECT_TRUE(link.Scan());
    EXPECT_EQ(opened.size(), 1u);

    // With sg3 gone the next frame in numeric order is taken.
    sys.Remove(3);
    EXPECT_TRUE(link.Scan());
    EXPECT_EQ(link.DevicePath(), sys.Node(10));
    sys.Remove(10);
    EXPECT_FALSE(link.Scan());
    EXPECT_EQ(link.DevicePath(), "");
    EXPECT_TRUE(fe.Messages().empty());
}

TEST(DeviceLink, ReportsOnlyChangesOfPresence) {
    FakeSystem sys;
    sys.Add(4, "QUELMORA");
    RecordingFrontend fe;
    DeviceLink link(fe, sys.Options());
    ASSERT_TRUE(link.Start());
    EXPECT_EQ(link.NotificationFd(), -1);  // polling fallback
    EXPECT_TRUE(link.IsPresent());

    link.Poll();
    link.HandleNotification();
    sys.Add(7, "Other");  // an unrelated device comes
    link.Poll();
    EXPECT_TRUE(fe.Events().empty());

    sys.Remove(4);
    link.Poll();
    link.Poll();
    sys.Add(5, "QUELMORA");
    link.Poll();
    auto entries = fe.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "HIDDEVICECHANGE");
    EXPECT_EQ(entries[0].value, 0);
    EXPECT_EQ(entries[1].text, "HIDDEVICECHANGE");
    EXPECT_EQ(entries[1].value, 1);
    EXPECT_TRUE(link.IsPresent());

    link.Teardown();
    link.Teardown();
}

TEST(DeviceLink, AccessDeniedShowsTheLanguagesText) {
    const std::string texts[] = {"Refuse Access %s.Please access as an administrator.",
                                 "拒绝访问 %s.请使用管理员权限.", "Open the drv %s Error."};
    for (int language = 0; language < 3; ++language) {
        SCOPED_TRACE(language);
        FakeSystem sys;
        sys.Add(1, "QUELMORA");
        sys.Add(2, "QUELMORA");
        RecordingFrontend fe;
        DeviceLinkOptions o = sys.Options();
        o.languageIndex = [language] { return language; };
        o.openNode = [](const std::string&) {
            errno = EACCES;
            return -1;
        };
        DeviceLink link(fe, o);
        link.Start();
        EXPECT_FALSE(link.IsPresent());
        auto messages = fe.Messages();
        ASSERT_EQ(messages.size(), 1u);  // the scan stops at the first denied node
        std::string expected = texts[language];
        expected.replace(expected.find("%s"), 2, sys.Node(1));
        EXPECT_EQ(messages[0].substr(0, messages[0].find('\n')), expected);
        EXPECT_NE(messages[0].find("70-framewise.rules"), std::string::npos);
    }
    EXPECT_EQ(AccessDeniedText(7, "/dev/sg0").substr(0, 22), "Open the drv /dev/sg0 ");
}

TEST(DeviceLink, BusyNodeIsSkippedSilently) {
    FakeSystem sys;
    sys.Add(1, "QUELMORA");
    sys.Add(2, "QUELMORA");
    RecordingFrontend fe;
    DeviceLinkOptions o = sys.Options();
    const std::string busy = sys.Node(1);
    o.openNode = [busy](const std::string& node) {
        if (node == busy) {
            errno = EBUSY;  // another program holds it exclusively
            return -1;
        }
        return ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    };
    DeviceLink link(fe, o);
    link.Start();
    EXPECT_EQ(link.DevicePath(), sys.Node(2));
    EXPECT_TRUE(fe.Messages().empty());
    // Plain files are no SCSI devices: the transfer fails rather than pretending.
    CommandBlock cdb = WakeBlock();
    EXPECT_FALSE(link.SendDataOut(cdb.data(), 16, 0, nullptr));
}

TEST(DeviceLink, NoticesTheSimulatedFrameComingAndGoing) {
    TempFolder dir;
    const fs::path image = dir.path() / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    auto frame = SimulatedFrame::Open(image, error);
    ASSERT_TRUE(frame) << error;
    RecordingFrontend fe;
    DeviceLinkOptions o;
    o.simulatedFrame = frame;
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    EXPECT_TRUE(link.IsPresent());
    EXPECT_EQ(link.DevicePath(), image.string());
    const int fd = link.NotificationFd();
    ASSERT_GE(fd, 0);

    auto readable = [fd] {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    };
    EXPECT_FALSE(readable());
    frame->Unplug();
    ASSERT_TRUE(readable());
    link.HandleNotification();
    EXPECT_FALSE(readable());
    EXPECT_FALSE(link.IsPresent());
    CommandBlock cdb = WakeBlock();
    EXPECT_FALSE(link.SendDataOut(cdb.data(), 16, 0, nullptr));
    link.HandleNotification();  // nothing changed
    frame->Plug();
    link.HandleNotification();
    auto entries = fe.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].value, 0);
    EXPECT_EQ(entries[1].value, 1);
    EXPECT_TRUE(link.SendDataOut(cdb.data(), 16, 0, nullptr));
    link.Teardown();
    link.Teardown();
    EXPECT_EQ(link.NotificationFd(), -1);
}

TEST(DeviceLink, UdevMonitorOrPollingFallback) {
    FakeSystem sys;
    sys.Add(0, "QUELMORA");
    RecordingFrontend fe;
    DeviceLinkOptions o = sys.Options();
    o.useUdev = true;
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    EXPECT_TRUE(link.IsPresent());
    // Where netlink is closed to us (some containers) the link polls instead; either way a
    // notification without a change reports nothing.
    if (link.NotificationFd() >= 0) link.HandleNotification();
    link.Poll();
    EXPECT_TRUE(fe.Events().empty());
    link.Teardown();
    EXPECT_EQ(link.NotificationFd(), -1);
    link.Teardown();
}
