#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <future>
#include <map>
#include <set>

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

// Opens the fake nodes and keeps, for every command the link sends, the node it went to; a
// node in `denied` answers EACCES, one in `busy` EBUSY.
class NodeWiring {
  public:
    std::set<std::string> denied, busy;
    std::vector<std::string> tried;     // every open attempt
    std::vector<std::string> commands;  // the node of every command

    DeviceLinkOptions Wire(DeviceLinkOptions o) {
        o.openNode = [this](const std::string& node) {
            tried.push_back(node);
            errno = denied.count(node) ? EACCES : busy.count(node) ? EBUSY : 0;
            if (errno != 0) return -1;
            const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
            m_nodeOf[fd] = node;
            return fd;
        };
        o.makeTransport = [this](int fd) -> std::unique_ptr<ScsiTransport> {
            return std::make_unique<Transport>(*this, m_nodeOf[fd]);
        };
        return o;
    }
    // Sends one command through the link; the node it reached, or "" when it failed.
    std::string Send(DeviceLink& link) {
        const CommandBlock cdb = WakeBlock();
        const size_t before = commands.size();
        if (!link.SendDataOut(cdb.data(), 16, 0, nullptr) || commands.size() == before) return "";
        return commands.back();
    }

  private:
    class Transport : public ScsiTransport {
      public:
        Transport(NodeWiring& wiring, std::string node) : m_wiring(wiring), m_node(node) {}
        bool SendDataIn(const uint8_t*, int, uint32_t, uint8_t*) override { return Sent(); }
        bool SendDataOut(const uint8_t*, int, uint32_t, const uint8_t*) override { return Sent(); }

      private:
        bool Sent() {
            m_wiring.commands.push_back(m_node);
            return true;
        }
        NodeWiring& m_wiring;
        std::string m_node;
    };
    std::map<int, std::string> m_nodeOf;
};

std::vector<long> PresenceEvents(const RecordingFrontend& fe) {
    std::vector<long> values;
    for (const auto& e : fe.Entries())
        if (e.kind == "event" && e.text == "HIDDEVICECHANGE") values.push_back(e.value);
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

TEST(DeviceLink, TheFrameHeldStaysTheFrameWhileAnotherAppears) {
    FakeSystem sys;
    sys.Add(3, "QUELMORA");
    RecordingFrontend fe;
    NodeWiring wiring;
    DeviceLink link(fe, wiring.Wire(sys.Options()));
    ASSERT_TRUE(link.Start());
    ASSERT_EQ(link.DevicePath(), sys.Node(3));

    // A second frame that sorts first: ignored, said once, never even opened; the commands
    // (the next synchronize) still reach the frame the album was read from.
    sys.Add(1, "QUELMORA");
    link.Poll();
    link.Poll();
    link.HandleNotification();
    EXPECT_EQ(link.DevicePath(), sys.Node(3));
    EXPECT_TRUE(link.IsPresent());
    EXPECT_TRUE(PresenceEvents(fe).empty());
    EXPECT_EQ(wiring.tried, std::vector<std::string>{sys.Node(3)});
    EXPECT_EQ(wiring.Send(link), sys.Node(3));
    const auto status = fe.Texts("status");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_NE(status[0].find(sys.Node(1)), std::string::npos) << status[0];
    EXPECT_NE(status[0].find(sys.Node(3)), std::string::npos) << status[0];
    EXPECT_TRUE(fe.Messages().empty());

    // The frame held goes: its removal is reported, then the other one as a new arrival.
    sys.Remove(3);
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1}));
    EXPECT_EQ(link.DevicePath(), sys.Node(1));
    EXPECT_EQ(wiring.Send(link), sys.Node(1));

    // Replugged under the same name between two scans: a new node, so gone and back.
    sys.Remove(1);
    sys.Add(1, "QUELMORA");
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1, 0, 1}));
    EXPECT_EQ(wiring.tried.size(), 3u);
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe).size(), 4u);

    sys.Remove(1);
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1, 0, 1, 0}));
    EXPECT_FALSE(link.IsPresent());
    EXPECT_EQ(wiring.Send(link), "");
}

TEST(DeviceLink, AFrameThatCannotBeOpenedNeverDropsTheOneHeld) {
    FakeSystem sys;
    sys.Add(3, "QUELMORA");
    RecordingFrontend fe;
    NodeWiring wiring;
    wiring.denied = {sys.Node(1)};
    wiring.busy = {sys.Node(2)};
    DeviceLink link(fe, wiring.Wire(sys.Options()));
    ASSERT_TRUE(link.Start());
    sys.Add(1, "QUELMORA");
    sys.Add(2, "QUELMORA");
    for (int i = 0; i < 3; ++i) link.Poll();
    EXPECT_EQ(link.DevicePath(), sys.Node(3));
    EXPECT_EQ(wiring.Send(link), sys.Node(3));
    EXPECT_TRUE(fe.Messages().empty());
    EXPECT_TRUE(PresenceEvents(fe).empty());

    // Without the frame held, the denied node stops the scan and is said once, not again
    // at every later rescan while it stays denied.
    sys.Remove(3);
    for (int i = 0; i < 3; ++i) link.Poll();
    EXPECT_EQ(PresenceEvents(fe), std::vector<long>{0});
    EXPECT_FALSE(link.IsPresent());
    const auto messages = fe.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(sys.Node(1)), std::string::npos);

    // Access granted (the udev rule): the next scan takes it as an arrival.
    wiring.denied.clear();
    link.Poll();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1}));
    EXPECT_EQ(link.DevicePath(), sys.Node(1));
    EXPECT_EQ(fe.Messages().size(), 1u);
}

TEST(DeviceLink, TheIdentityIsReadWithoutWaitingBehindATransfer) {
    // A transport whose command runs until the test lets it finish.
    class GateTransport : public ScsiTransport {
      public:
        GateTransport(std::promise<void>& entered, std::shared_future<void> release)
            : m_entered(entered), m_release(std::move(release)) {}
        bool SendDataIn(const uint8_t*, int, uint32_t, uint8_t*) override {
            m_entered.set_value();
            m_release.wait();
            return true;
        }
        bool SendDataOut(const uint8_t*, int, uint32_t, const uint8_t*) override { return true; }

      private:
        std::promise<void>& m_entered;
        std::shared_future<void> m_release;
    };
    FakeSystem sys;
    sys.Add(2, "Quelmora");
    RecordingFrontend fe;
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    DeviceLinkOptions o = sys.Options();
    o.makeTransport = [&](int) { return std::make_unique<GateTransport>(entered, released); };
    DeviceLink link(fe, o);
    ASSERT_TRUE(link.Start());

    auto transfer = std::async(std::launch::async, [&] {
        uint8_t reply[64];
        const CommandBlock cdb = ReadStatusBlock();
        return link.SendDataIn(cdb.data(), 16, sizeof reply, reply);
    });
    entered.get_future().wait();
    auto identity = std::async(std::launch::async, [&] {
        return link.DevicePath() + "|" + link.Vendor() + "|" + link.Product();
    });
    auto scan = std::async(std::launch::async, [&] { return link.Scan(); });
    // Generous bounds: the identity must come while the command still runs (a wait here
    // would last until the release), and the scan must still be waiting for it.
    const bool identityAnswered =
        identity.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const bool scanWaited =
        scan.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout;
    release.set_value();
    EXPECT_TRUE(identityAnswered);
    EXPECT_EQ(identity.get(), sys.Node(2) + "|Quelmora|Photo Frame");
    EXPECT_TRUE(scanWaited);  // scans and transfers stay serialised
    EXPECT_TRUE(scan.get());
    EXPECT_TRUE(transfer.get());
}

TEST(DeviceLink, TheSimulatedFrameFollowsItsMarkerFromOutside) {
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
    const int fd = link.NotificationFd();
    ASSERT_GE(fd, 0);
    auto readable = [fd] {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    };
    const CommandBlock wake = WakeBlock();

    // Pulled out the way another program does it: the very next command fails, before the
    // link has looked, and the descriptor wakes the link.
    ASSERT_TRUE(SetImagePlugged(image, false, error)) << error;
    EXPECT_TRUE(fs::exists(UnpluggedMarkerPath(image)));
    EXPECT_TRUE(readable());
    EXPECT_FALSE(link.SendDataOut(wake.data(), 16, 0, nullptr));
    link.HandleNotification();
    EXPECT_FALSE(readable());
    EXPECT_EQ(PresenceEvents(fe), std::vector<long>{0});
    EXPECT_EQ(link.DevicePath(), "");

    ASSERT_TRUE(SetImagePlugged(image, true, error)) << error;
    EXPECT_TRUE(readable());
    link.HandleNotification();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1}));
    EXPECT_TRUE(link.SendDataOut(wake.data(), 16, 0, nullptr));

    // Out and back in before the link looked: still a removal and a new arrival.
    ASSERT_TRUE(SetImagePlugged(image, false, error));
    ASSERT_TRUE(SetImagePlugged(image, true, error));
    link.HandleNotification();
    EXPECT_EQ(PresenceEvents(fe), (std::vector<long>{0, 1, 0, 1}));
    EXPECT_TRUE(link.SendDataOut(wake.data(), 16, 0, nullptr));

    // Another file in the folder wakes the link, which finds nothing to report.
    std::ofstream(dir.path() / "notes.txt") << "x";
    EXPECT_TRUE(readable());
    link.HandleNotification();
    EXPECT_FALSE(readable());
    EXPECT_EQ(PresenceEvents(fe).size(), 4u);
    EXPECT_EQ(link.DevicePath(), image.string());
}
