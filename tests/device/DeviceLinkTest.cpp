#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <future>
#include <map>

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

// A transport whose every command runs `send`.
struct FakeTransport : ScsiTransport {
    explicit FakeTransport(std::function<bool()> f) : send(std::move(f)) {}
    bool SendDataIn(const uint8_t*, int, uint32_t, uint8_t*) override { return send(); }
    bool SendDataOut(const uint8_t*, int, uint32_t, const uint8_t*) override { return send(); }
    std::function<bool()> send;
};

std::vector<long> PresenceEvents(const RecordingFrontend& fe) {
    std::vector<long> values;
    for (const auto& e : fe.Entries())
        if (e.text == "HIDDEVICECHANGE") values.push_back(e.value);
    return values;
}

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

    // With sg3 gone the scan says so first; only the next one takes the next frame in
    // numeric order.
    sys.Remove(3);
    EXPECT_FALSE(link.Scan());
    EXPECT_EQ(link.DevicePath(), "");
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

TEST(DeviceLink, TheFrameHeldStaysTheFrameUntilItIsGone) {
    FakeSystem sys;
    sys.Add(3, "QUELMORA");
    RecordingFrontend fe;
    std::map<int, std::string> nodeOf;
    std::vector<std::string> tried;
    std::string deniedNode, reached;
    DeviceLinkOptions o = sys.Options();
    o.openNode = [&](const std::string& node) {
        tried.push_back(node);
        errno = node == deniedNode ? EACCES : 0;
        const int fd = errno ? -1 : ::open(node.c_str(), O_RDWR | O_CLOEXEC);
        nodeOf[fd] = node;
        return fd;
    };
    o.makeTransport = [&](int fd) {
        return std::make_unique<FakeTransport>(
            [&, node = nodeOf[fd]] { return reached = node, true; });
    };
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    auto sendReaches = [&] {
        reached.clear();
        const CommandBlock cdb = WakeBlock();
        link.SendDataOut(cdb.data(), 16, 0, nullptr);
        return reached;
    };

    // Two more frames that sort first, one of them denied: neither is even opened, the
    // commands (the next synchronize) still reach the frame the album was read from, and the
    // second frame is said once.
    deniedNode = sys.Node(1);
    sys.Add(1, "QUELMORA");
    sys.Add(2, "QUELMORA");
    for (int i = 0; i < 3; ++i) link.Poll();
    EXPECT_EQ(tried, std::vector<std::string>{sys.Node(3)});
    EXPECT_EQ(sendReaches(), sys.Node(3));
    EXPECT_TRUE(PresenceEvents(fe).empty());
    EXPECT_TRUE(fe.Messages().empty());
    ASSERT_EQ(fe.Texts("status").size(), 1u);
    EXPECT_NE(fe.Texts("status")[0].find(sys.Node(3)), std::string::npos);

    // Gone: reported, and the denied node that now stops the scan is said once only.
    sys.Remove(3);
    for (int i = 0; i < 3; ++i) link.Poll();
    EXPECT_EQ(PresenceEvents(fe), std::vector<long>{0});
    EXPECT_EQ(fe.Messages().size(), 1u);
    EXPECT_EQ(sendReaches(), "");

    deniedNode.clear();  // the udev rule is in place
    link.Poll();
    EXPECT_EQ(link.DevicePath(), sys.Node(1));
    // sg1 goes: its removal first, then sg2, ignored till now, as a new arrival at once.
    sys.Remove(1);
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1, 0, 1}));
    EXPECT_EQ(sendReaches(), sys.Node(2));
}

TEST(DeviceLink, TheIdentityIsReadWithoutWaitingBehindATransfer) {
    FakeSystem sys;
    sys.Add(2, "Quelmora");
    RecordingFrontend fe;
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    DeviceLinkOptions o = sys.Options();
    o.makeTransport = [&](int) {  // a command that runs until the test lets it end
        return std::make_unique<FakeTransport>(
            [&] { return entered.set_value(), released.wait(), true; });
    };
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());
    auto transfer = std::async(std::launch::async, [&] {
        uint8_t reply[64];
        return link.SendDataIn(WakeBlock().data(), 16, sizeof reply, reply);
    });
    entered.get_future().wait();
    auto identity = std::async(std::launch::async, [&] {
        return link.DevicePath() + "|" + link.Vendor() + "|" + link.Product();
    });
    auto scan = std::async(std::launch::async, [&] { return link.Scan(); });
    // Waiting behind the command would last until the release; the scan must wait for it.
    const auto answered = identity.wait_for(std::chrono::seconds(10));
    const auto scanned = scan.wait_for(std::chrono::milliseconds(200));
    release.set_value();
    EXPECT_EQ(answered, std::future_status::ready);
    EXPECT_EQ(identity.get(), sys.Node(2) + "|Quelmora|Photo Frame");
    EXPECT_EQ(scanned, std::future_status::timeout);
    EXPECT_TRUE(scan.get() && transfer.get());
}

#ifdef FRAMEWISE_CLI_PATH
// framewise-cli sim unplug / plug from another process while this one holds the frame, as
// the window does.
TEST(DeviceLink, TheSimulatedFrameGoesAndComesBackByItsMarker) {
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
    auto sim = [&](const std::string& what) {
        const std::string command = "'" + std::string(FRAMEWISE_CLI_PATH) + "' sim " + what + " '" +
                                    image.string() + "' >/dev/null";
        return std::system(command.c_str()) == 0;
    };
    auto wakes = [fd = link.NotificationFd()] {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    };
    const CommandBlock wake = WakeBlock();

    ASSERT_TRUE(sim("unplug"));
    EXPECT_FALSE(link.SendDataOut(wake.data(), 16, 0, nullptr));  // before the link looked
    ASSERT_TRUE(wakes());
    link.HandleNotification();
    EXPECT_FALSE(wakes());
    EXPECT_EQ(PresenceEvents(fe), std::vector<long>{0});
    ASSERT_TRUE(sim("plug"));
    ASSERT_TRUE(wakes());
    link.HandleNotification();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1}));
    EXPECT_TRUE(link.SendDataOut(wake.data(), 16, 0, nullptr));

    // Out and in again before the link looked is still a removal and a new arrival; another
    // file in the folder wakes the link for nothing.
    ASSERT_TRUE(SetImagePlugged(image, false, error) && SetImagePlugged(image, true, error));
    std::ofstream(dir.path() / "notes.txt") << "x";
    link.HandleNotification();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1, 0, 1}));
    EXPECT_TRUE(link.SendDataOut(wake.data(), 16, 0, nullptr));
}
#endif
