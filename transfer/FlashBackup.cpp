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
#include "transfer/DurableFile.h"
#include "transfer/FlashLayout.h"
#include "transfer/SyncJournal.h"

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
    if (!WriteFileDurably(file, bytes.data(), bytes.size(), error)) return false;
    saved = file;

    // The backup an unfinished write's journal names is the frame's way back: it is never
    // rotated out, however many backups come after it.
    const auto journal = ReadSyncJournal(root, info);
    auto files = ListFlashBackups(root, info);
    if (journal && !journal->backup.empty())
        std::erase_if(files, [&](const fs::path& f) { return f == journal->backup; });
    for (size_t i = 0; i + static_cast<size_t>(std::max(keep, 1)) < files.size(); ++i)
        fs::remove(files[i], ec);
    return true;
}

std::vector<ListedPicture> ListedPictures(const uint8_t* indexBlock, const DeviceInfo& info) {
    std::vector<ListedPicture> pictures;
    const uint64_t flashBytes = info.FlashBytes();
    const uint64_t areaStart =
        static_cast<uint64_t>(std::max(info.indexAddress, 0)) + kIndexBlockSize;
    if (std::memcmp(indexBlock, kMagic, 4) != 0) return pictures;
    for (int i = 0; i < kIndexEntries; ++i) {
        const uint8_t* entry = indexBlock + kIndexHeadSize + kIndexEntrySize * i;
        const uint32_t address = Get24(entry + 1);
        const uint32_t length = Get24(entry + 5);
        if (entry[0] != 1 || address == 0 || address == 0xFFFFFF) continue;
        if (address < areaStart || uint64_t{address} + length > flashBytes) continue;
        pictures.push_back({address, length});
    }
    return pictures;
}

std::vector<ListedPicture> ListedPictures(const std::vector<uint8_t>& image,
                                          const DeviceInfo& info) {
    const uint64_t ia = static_cast<uint64_t>(std::max(info.indexAddress, 0));
    if (image.size() != info.FlashBytes() || ia + kIndexBlockSize > image.size()) return {};
    return ListedPictures(image.data() + ia, info);
}

std::vector<uint32_t> AlbumBlocks(const std::vector<uint8_t>& image, const DeviceInfo& info) {
    std::vector<uint32_t> blocks;
    const uint32_t ia = static_cast<uint32_t>(std::max(info.indexAddress, 0));
    if (uint64_t{ia} + kIndexBlockSize > image.size()) return blocks;
    blocks.push_back(ia / kBlockSize * kBlockSize);
    for (const ListedPicture& p : ListedPictures(image, info)) {
        const uint32_t last =
            p.length > 0 ? (p.address + p.length - 1) / kBlockSize : p.address / kBlockSize;
        for (uint32_t b = p.address / kBlockSize; b <= last; ++b) blocks.push_back(b * kBlockSize);
    }
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return blocks;
}

uint32_t AlbumAreaEnd(const uint8_t* indexBlock, const DeviceInfo& info) {
    const uint32_t flashBytes = info.FlashBytes();
    const uint32_t ia = static_cast<uint32_t>(std::max(info.indexAddress, 0));
    uint64_t usedEnd = std::min(flashBytes, (ia / kBlockSize + 1) * kBlockSize);
    for (const ListedPicture& p : ListedPictures(indexBlock, info))
        usedEnd = std::max<uint64_t>(usedEnd, uint64_t{p.address} + p.length);
    return static_cast<uint32_t>(
        std::min<uint64_t>(flashBytes, (usedEnd + kBlockSize - 1) / kBlockSize * kBlockSize));
}

bool ReadAlbumArea(DeviceConnection& connection, std::vector<uint8_t>& image, std::string& error) {
    if (!connection.IsConnected()) {
        error = "no frame attached";
        return false;
    }
    const DeviceInfo& info = connection.Info();
    const uint32_t flashBytes = info.FlashBytes();
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    if (flashBytes < kHeaderSize || uint64_t{ia} + kIndexBlockSize > flashBytes) {
        error = "the frame's flash holds no index block";
        return false;
    }
    try {
        image.assign(flashBytes, 0xFF);
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    std::fill(image.begin(), image.begin() + ia, 0x00);
    std::memcpy(image.data(), info.header, kHeaderSize);

    // The index's block first: what the frame's own index lists decides how far to read.
    const uint32_t firstEnd = std::min(flashBytes, (ia / kBlockSize + 1) * kBlockSize);
    uint32_t end = firstEnd;
    Frontend& fe = connection.Context().frontend;
    fe.SetProgressRange(0, 100);
    for (uint32_t address = ia; address < end;) {
        const uint32_t length = std::min(kBlockSize, end - address);
        if (connection.ReadKnown(image.data() + address, length, address) !=
            DeviceConnection::ReadOutcome::Read) {
            error = "reading the flash at " + std::to_string(address) + " failed";
            return false;
        }
        address += length;
        if (address == firstEnd) end = AlbumAreaEnd(image.data() + ia, info);
        fe.SetProgressPos(static_cast<int>(uint64_t{address - ia} * 100 / (end - ia)));
    }
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
    return WriteFileDurably(file, image.data(), image.size(), error);
}

bool LoadFlashBackup(DeviceConnection& connection, const fs::path& file,
                     std::vector<uint8_t>& image, std::string& error) {
    if (!connection.IsConnected()) {
        error = "no frame attached";
        return false;
    }
    const DeviceInfo& info = connection.Info();
    if (!ReadWhole(file, image, info.FlashBytes(), error)) return false;
    if (std::memcmp(image.data(), info.header, kHeaderSize) != 0) {
        error = file.string() + " is a backup of another frame (its flash header differs)";
        return false;
    }
    return true;
}

bool FrameHoldsBlock(DeviceConnection& connection, const std::vector<uint8_t>& image,
                     uint32_t address, std::vector<uint8_t>& held) {
    const uint32_t length =
        std::min<uint32_t>(kBlockSize, static_cast<uint32_t>(image.size()) - address);
    held.resize(length);
    return connection.ReadVerified(held.data(), length, address) ==
               DeviceConnection::ReadOutcome::Read &&
           std::memcmp(held.data(), image.data() + address, length) == 0;
}

std::vector<uint32_t> RestoreBlockOrder(const std::vector<uint8_t>& image, const DeviceInfo& info) {
    std::vector<uint32_t> blocks = AlbumBlocks(image, info);
    const uint32_t ia = static_cast<uint32_t>(std::max(info.indexAddress, 0));
    // The picture blocks first, the index block last: the frame sees the restored index only
    // once every picture it lists is in place.
    std::erase(blocks, ia);
    blocks.push_back(ia);
    return blocks;
}

bool FrameHoldsAlbumOf(DeviceConnection& connection, const fs::path& file) {
    std::vector<uint8_t> image, held;
    std::string error;
    if (!LoadFlashBackup(connection, file, image, error)) return false;
    for (uint32_t address : AlbumBlocks(image, connection.Info()))
        if (!FrameHoldsBlock(connection, image, address, held)) return false;
    return true;
}

bool RestoreFlash(DeviceConnection& connection, const fs::path& file, std::string& error,
                  RestoreResult* result, const BeforeFirstWrite& beforeFirstWrite) {
    RestoreResult done;
    if (result) *result = done;
    std::vector<uint8_t> image;
    if (!LoadFlashBackup(connection, file, image, error)) return false;
    const DeviceInfo& info = connection.Info();
    const uint32_t flashBytes = info.FlashBytes();
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    // Every block written is erased first; a block that also holds protected bytes could not
    // be written without them.
    if (ia % kBlockSize != 0) {
        error = "the frame's index block does not start a 64 KB block; it cannot be restored";
        return false;
    }
    const std::vector<uint32_t> blocks = RestoreBlockOrder(image, info);

    Frontend& fe = connection.Context().frontend;
    fe.SetProgressRange(0, 100);
    connection.Commands().Wake();
    std::vector<uint8_t> held;
    for (size_t n = 0; n < blocks.size(); ++n) {
        const uint32_t address = blocks[n];
        const uint32_t length = std::min(kBlockSize, flashBytes - address);
        const uint8_t* wanted = image.data() + address;
        // A block the frame already holds as the backup has it is left alone; one that cannot
        // be read back for sure is written.
        const bool same = FrameHoldsBlock(connection, image, address, held);
        ++done.blocksCompared;
        if (!same) {
            if (done.blocksWritten == 0 && beforeFirstWrite && !beforeFirstWrite(error)) {
                if (result) *result = done;
                return false;
            }
            if (!connection.WriteBlockChecked(wanted, length, address)) {
                if (result) *result = done;
                error = "writing the flash at " + std::to_string(address) + " failed";
                return false;
            }
            ++done.blocksWritten;
        }
        fe.SetProgressPos(static_cast<int>((n + 1) * 100 / blocks.size()));
    }
    if (result) *result = done;
    return true;
}

}  // namespace framewise
