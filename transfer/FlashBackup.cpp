#include "transfer/FlashBackup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <new>

#include "transfer/DeviceConnection.h"
#include "transfer/FlashLayout.h"

namespace framewise {

namespace fs = std::filesystem;
using namespace flash;

namespace {

uint32_t Fnv1a(const uint8_t* data, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

std::string TimestampName() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%03d", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
    return text;
}

// Writes the bytes to a side file first and renames it into place, so that a file of the
// name is always complete.
bool WriteWhole(const fs::path& file, const uint8_t* data, size_t length, std::string& error) {
    fs::path part = file;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + part.string();
            return false;
        }
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(part, ec);
            error = "cannot write " + part.string();
            return false;
        }
    }
    std::error_code ec;
    fs::rename(part, file, ec);
    if (ec) {
        fs::remove(part, ec);
        error = "cannot rename into " + file.string();
        return false;
    }
    return true;
}

bool ReadWhole(const fs::path& file, std::vector<uint8_t>& bytes, size_t expected,
               std::string& error) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) {
        error = "cannot open " + file.string();
        return false;
    }
    if (size != expected) {
        error = file.string() + " holds " + std::to_string(size) + " bytes, the frame's flash " +
                std::to_string(expected);
        return false;
    }
    try {
        bytes.assign(expected, 0);
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(expected));
    if (!in) {
        error = "cannot read " + file.string();
        return false;
    }
    return true;
}

}  // namespace

fs::path DefaultBackupRoot() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path data;
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        data = fs::path(home && *home ? home : ".") / ".local" / "share";
    }
    return data / "framewise" / "backups";
}

std::string FrameId(const DeviceInfo& info) {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d-%dKB-%08x", info.lcdWidth, info.lcdHeight,
                  info.flashSizeKB, Fnv1a(info.header, kHeaderSize));
    return text;
}

std::vector<fs::path> ListFlashBackups(const fs::path& root, const DeviceInfo& info) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root / FrameId(info), ec)) {
        if (entry.is_regular_file(ec) && entry.path().extension() == ".img")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool SaveFlashBackup(const fs::path& root, const DeviceInfo& info,
                     const std::vector<uint8_t>& image, fs::path& saved, std::string& error,
                     int keep) {
    const fs::path folder = root / FrameId(info);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string();
        return false;
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (image.size() < kHeaderSize) {
        error = "no flash image to save";
        return false;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = image;
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    std::memcpy(bytes.data(), info.header, kHeaderSize);

    // Names sort by time: a sequence number tells apart backups made within one millisecond.
    const std::string stamp = TimestampName();
    fs::path file;
    for (int n = 0; n < 100; ++n) {
        char seq[8];
        std::snprintf(seq, sizeof seq, "-%02d", n);
        file = folder / (stamp + seq + ".img");
        if (!fs::exists(file, ec)) break;
    }
    if (!WriteWhole(file, bytes.data(), bytes.size(), error)) return false;
    saved = file;

    auto files = ListFlashBackups(root, info);
    for (size_t i = 0; i + static_cast<size_t>(std::max(keep, 1)) < files.size(); ++i)
        fs::remove(files[i], ec);
    return true;
}

bool BackupWholeFlash(DeviceConnection& connection, const fs::path& file, std::string& error) {
    if (!connection.IsConnected()) {
        error = "no frame attached";
        return false;
    }
    const uint32_t flashBytes = connection.Info().FlashBytes();
    std::vector<uint8_t> image;
    try {
        image.assign(flashBytes, 0);
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    Frontend& fe = connection.Context().frontend;
    fe.SetProgressRange(0, 100);
    for (uint32_t address = 0; address < flashBytes; address += kBlockSize) {
        const uint32_t length = std::min(kBlockSize, flashBytes - address);
        if (!connection.ReadChecked(image.data() + address, length, address)) {
            error = "reading the flash at " + std::to_string(address) + " failed";
            return false;
        }
        fe.SetProgressPos(static_cast<int>(uint64_t{address + length} * 100 / flashBytes));
    }
    return WriteWhole(file, image.data(), image.size(), error);
}

bool RestoreFlash(DeviceConnection& connection, const fs::path& file, std::string& error) {
    if (!connection.IsConnected()) {
        error = "no frame attached";
        return false;
    }
    const DeviceInfo& info = connection.Info();
    const uint32_t flashBytes = info.FlashBytes();
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    std::vector<uint8_t> image;
    if (!ReadWhole(file, image, flashBytes, error)) return false;
    if (std::memcmp(image.data(), info.header, kHeaderSize) != 0) {
        error = file.string() + " is a backup of another frame (its flash header differs)";
        return false;
    }
    // Every block written is erased first; a block that also holds protected bytes could not
    // be written without them.
    if (ia % kBlockSize != 0) {
        error = "the frame's index block does not start a 64 KB block; it cannot be restored";
        return false;
    }
    Frontend& fe = connection.Context().frontend;
    fe.SetProgressRange(0, 100);
    connection.Commands().Wake();
    const uint32_t blocks = (flashBytes - ia + kBlockSize - 1) / kBlockSize;
    // The picture blocks first, the index block last: the frame sees the restored index only
    // once every picture it lists is in place.
    for (uint32_t n = 1; n <= blocks; ++n) {
        const uint32_t address = n < blocks ? ia + n * kBlockSize : ia;
        const uint32_t length = std::min(kBlockSize, flashBytes - address);
        if (!connection.WriteBlockChecked(image.data() + address, length, address)) {
            error = "writing the flash at " + std::to_string(address) + " failed";
            return false;
        }
        fe.SetProgressPos(static_cast<int>(n * 100 / blocks));
    }
    return true;
}

}  // namespace framewise
