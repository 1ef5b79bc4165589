#include "device/SysfsScan.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace framewise {

namespace fs = std::filesystem;

namespace {
std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!in) return text;
    std::getline(in, text, '\0');
    auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

// "sg12" -> 12; -1 for anything else.
int GenericNumber(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "sg") != 0) return -1;
    int n = 0;
    for (size_t i = 2; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])) || n > 100000) return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}
}  // namespace

std::vector<ScsiGenericDevice> ListScsiGenericDevices(const fs::path& sysfsRoot,
                                                      const fs::path& devRoot) {
    std::vector<ScsiGenericDevice> devices;
    std::error_code ec;
    const fs::path classDir = sysfsRoot / "class" / "scsi_generic";
    const fs::path root = fs::weakly_canonical(sysfsRoot, ec);
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        ScsiGenericDevice d;
        d.name = it->path().filename().string();
        d.number = GenericNumber(d.name);
        if (d.number < 0) continue;
        d.node = (devRoot / d.name).string();
        const fs::path device = it->path() / "device";
        std::string type = ReadAttribute(device / "type");
        if (!type.empty() &&
            std::all_of(type.begin(), type.end(),
                        [](unsigned char c) { return std::isdigit(c) != 0; }) &&
            type.size() < 4) {
            d.type = std::stoi(type);
        }
        d.vendor = ReadAttribute(device / "vendor");
        d.product = ReadAttribute(device / "model");
        // The bus shows in the device's place in the sysfs device tree; look only below the
        // sysfs root so that the root's own name cannot count.
        std::error_code rec;
        fs::path real = fs::canonical(device, rec);
        if (!rec) {
            std::string rel = real.lexically_relative(root).generic_string();
            d.usb = ("/" + rel).find("/usb") != std::string::npos;
        }
        devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return devices;
}

bool IsSupportedFrame(const ScsiGenericDevice& device) {
    if (device.type != kScsiTypeCdRom || !device.usb) return false;
    std::string vendor = device.vendor;
    std::transform(vendor.begin(), vendor.end(), vendor.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return vendor.find(kFrameVendorWord) != std::string::npos;
}

}  // namespace framewise
