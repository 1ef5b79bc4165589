// What the unplug sweep and the random-fault soak share: pictures that do not compress (so that
// a few of them span several 64 KB blocks), an album edited as the user edits it with its
// expected content kept apart from the program's, and the checks of a frame against it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "EditSessionSupport.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "album/AlbumCommands.h"
#include "album/FrameSession.h"
#include "codec/BmpFile.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "transfer/FlashBackup.h"
#include "transfer/SyncJournal.h"
#include "transfer/TransferTestSupport.h"

namespace framewise::test {

namespace fs = std::filesystem;

// A number from the environment (the scripts' longer runs), else the CI default.
inline long EnvNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 0);
    return end && *end == '\0' ? value : fallback;
}

// Under AddressSanitizer every run is several times slower, and the plain build has already
// tried every cut and seed: the sanitizer's pass looks at a slice (a smaller default).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// Keeps the runs' frame images and backups in memory where /dev/shm is at hand: the simulated
// flash syncs every erase and program to its file, and thousands of cut-short runs must not
// wait for a disk.
inline void KeepTemporaryFilesInMemory() {
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
        ::setenv("TMPDIR", "/dev/shm", 1);
}

// Rows of noise blended with a gradient: `detail` 0 is smooth, 255 is pure noise.
inline std::vector<uint8_t> NoisyPixels(int width, int height, uint32_t seed, int detail) {
    std::mt19937 random(seed);
    auto rows = TestPixels(width, height, static_cast<int>(seed % 7));
    for (uint8_t& byte : rows)
        byte = static_cast<uint8_t>((byte * (255 - detail) + (random() & 0xFF) * detail) / 255);
    return rows;
}

// A device picture stream of the frame's LCD size.
inline std::vector<uint8_t> NoisyStream(int width, int height, uint32_t seed, int detail,
                                        int quality = 90) {
    JpegEncoder encoder(static_cast<uint16_t>(quality));
    encoder.jfifMode = false;
    const auto pixels = NoisyPixels(width, height, seed, detail);
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(width, height, 0));
    size_t size = 0;
    EXPECT_TRUE(encoder.encode(pixels.data(), out.data(), width, height, size, 0, out.size()));
    out.resize(size);
    return out;
}

// The album as the test expects it: the streams in album order, kept by the test itself.
struct ExpectedAlbum {
    std::vector<std::vector<uint8_t>> streams;
};

// The album's edit commands on a session, answering through fe.
inline AlbumCommands SessionCommands(FrameSession& session, Frontend& fe) {
    return AlbumCommands(session.Folder(), session.List(), session.Connection().Model(),
                         session.State(), fe, session.GetLanguage(),
                         [&session](int c) { session.Store().UpdatePictureTotal(c); });
}

// Add as the program does it for a picture of the frame's LCD size: the flash model (which
// repacks when only closing the gaps makes room) and the album file. False when it does not fit.
inline bool AddPicture(FrameSession& session, const std::vector<uint8_t>& stream) {
    FlashModel& model = session.Connection().Model();
    const DeviceInfo& info = session.Connection().Info();
    const int k = session.List().ItemCount();
    if (!model.FitsNewPicture(static_cast<int>(stream.size()), k)) return false;
    model.CaptureNextAddress();
    if (!model.AppendPicture(k, stream.data(), stream.size())) return false;
    DecodedPicture picture;
    EXPECT_TRUE(session.Decoder().decode(stream.data(), stream.size(), info.lcdWidth,
                                         info.lcdHeight, picture));
    EXPECT_TRUE(session.Store().StoreAlbumPicture(k + 1, TransferRig::BottomUp(picture).data(),
                                                  info.lcdWidth, info.lcdHeight));
    session.State().m_bModified = true;
    return true;
}

// Deletes album picture `index` (0-based) through the Delete command.
inline bool DeletePicture(FrameSession& session, Frontend& fe, int index) {
    session.List().ClearSelection();
    session.List().SetItemSelected(index, true);
    return SessionCommands(session, fe).DeleteSelected().deleted;
}

// Moves album picture `index` up (towards 0) or down by one through Move Up / Move Down.
inline bool MovePicture(FrameSession& session, Frontend& fe, int index, bool up) {
    session.List().ClearSelection();
    session.List().SetItemSelected(index, true);
    AlbumCommands commands = SessionCommands(session, fe);
    return up ? commands.MoveUp() : commands.MoveDown();
}

// The pictures a flash image's index lists, as byte strings in index order.
inline std::vector<std::vector<uint8_t>> HeldStreams(const std::vector<uint8_t>& flash,
                                                     uint32_t indexAddress) {
    std::vector<std::vector<uint8_t>> held;
    for (const auto& [address, length] : FlashIndex(flash, indexAddress))
        held.emplace_back(flash.begin() + address, flash.begin() + address + length);
    return held;
}

// The album folder's files, in number order, as bytes.
inline std::vector<std::vector<uint8_t>> AlbumFiles(FrameSession& session) {
    std::vector<std::vector<uint8_t>> files;
    for (int n = 1; n <= session.List().ItemCount(); ++n)
        files.push_back(FileBytes(session.Folder().FilePath(n)));
    return files;
}

inline void CopyFile(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// A 64 KB block of a flash image.
inline std::vector<uint8_t> Block(const std::vector<uint8_t>& flash, uint32_t address) {
    const size_t end = std::min<size_t>(flash.size(), size_t{address} + 65536);
    return std::vector<uint8_t>(flash.begin() + address, flash.begin() + end);
}

}  // namespace framewise::test
