// Walks the SCSI generic devices of sysfs and tells which of them is one of our frames:
// a USB CD-ROM device whose vendor text names the frame's maker.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace framewise {

inline constexpr int kScsiTypeCdRom = 5;
inline constexpr const char* kFrameVendorWord = "quelmora";

struct ScsiGenericDevice {
    std::string name;  // "sg3"
    int number = -1;   // 3
    std::string node;  // the device node, e.g. "/dev/sg3"
    int type = -1;     // SCSI peripheral type; -1 when unreadable
    std::string vendor;
    std::string product;
    bool usb = false;  // attached through a USB bus
};

// Every sgN under <sysfsRoot>/class/scsi_generic, in ascending N; nodes under devRoot.
std::vector<ScsiGenericDevice> ListScsiGenericDevices(const std::filesystem::path& sysfsRoot,
                                                      const std::filesystem::path& devRoot);

// A CD-ROM on a USB bus whose vendor text, lower-cased, contains the vendor word.
bool IsSupportedFrame(const ScsiGenericDevice& device);

}  // namespace framewise
