// Helpers of the transfer tests: a simulated frame from a fresh image with a command recorder
// in front of it, an album that stores pictures as files, and the whole transfer set-up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "codec/BmpFile.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"
#include "config/RecordingFrontend.h"
#include "device/DeviceCommands.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "transfer/AlbumReader.h"
#include "transfer/DeviceConnection.h"
#include "transfer/Synchronizer.h"

namespace framewise::test {

// Passes every command to the simulated frame and keeps the command blocks.
class FrameChannel : public DeviceChannel {
  public:
    explicit FrameChannel(std::shared_ptr<SimulatedFrame> frame) : m_frame(std::move(frame)) {}
    bool IsPresent() const override { return m_frame->IsPlugged(); }
    bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                    uint8_t* data) override {
        Keep(cdb, cdbLength);
        return m_frame->SendDataIn(cdb, cdbLength, dataLength, data);
    }
    bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                     const uint8_t* data) override {
        Keep(cdb, cdbLength);
        return m_frame->SendDataOut(cdb, cdbLength, dataLength, data);
    }
    std::vector<CommandBlock> sent;
    bool keep = true;

  private:
    void Keep(const uint8_t* cdb, int cdbLength) {
        if (!keep || cdbLength != 16) return;
        CommandBlock block{};
        std::memcpy(block.data(), cdb, 16);
        sent.push_back(block);
    }
    std::shared_ptr<SimulatedFrame> m_frame;
};

inline uint32_t Be24(const uint8_t* p) {
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}
inline bool IsFlashRead(const CommandBlock& b) {
    return b[0] == 0xCD && b[5] == 0 && b[10] == 0x03;
}
inline bool IsVerify(const CommandBlock& b) {
    return b[0] == 0xCD && b[5] == 5;
}

// Records like RecordingFrontend and lets a test act on a status text (e.g. press Exit).
class HookedFrontend : public RecordingFrontend {
  public:
    std::function<void(const std::string&)> onStatus;
    void SetStatusText(const std::string& text) override {
        RecordingFrontend::SetStatusText(text);
        if (onStatus) onStatus(text);
    }
};

// Index entries as found in a flash image, read without the flash model: (address, length)
// of every entry with flag 1; empty when the magic is missing.
inline std::vector<std::pair<uint32_t, uint32_t>> FlashIndex(const std::vector<uint8_t>& flash,
                                                             uint32_t indexAddress) {
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    const uint8_t* block = flash.data() + indexAddress;
    if (std::memcmp(block, "TQFS", 4) != 0) return entries;
    for (int i = 0; i < 510; ++i) {
        const uint8_t* e = block + 16 + 8 * i;
        if (e[0] != 1) continue;
        entries.emplace_back(e[1] | e[2] << 8 | e[3] << 16, e[5] | e[6] << 8 | e[7] << 16);
    }
    return entries;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

// The album on the PC as far as the workers see it: numbered bitmap files in a folder.
class FileAlbum : public AlbumSink {
  public:
    explicit FileAlbum(std::filesystem::path folder) : folder(std::move(folder)) {}
    int AlbumCount() const override { return count; }
    bool CanStorePictures() const override { return true; }
    bool StoreAlbumPicture(int number, const uint8_t* rows, int width, int height) override {
        if (!WriteBmp24(Path(number), width, height, rows, 0)) return false;
        count = number;
        return true;
    }
    void RefreshAlbumList() override { count = static_cast<int>(Files().size()); }
    void UpdatePictureTotal(int c) override { totals.push_back(c); }
    void EnsureVisible(int index) override { visible = index; }

    std::filesystem::path Path(int number) const {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.bmp", number);
        return folder / name;
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(folder))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    void Empty() {
        for (auto& name : Files()) std::filesystem::remove(folder / name);
        count = 0;
    }

    std::filesystem::path folder;
    int count = 0;
    std::vector<int> totals;
    int visible = -1;
};

// A test picture: smooth colour gradients with a per-picture twist, BGR bottom-up rows.
inline std::vector<uint8_t> TestPixels(int width, int height, int seed) {
    const int stride = BmpRowStride(width);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = rows.data() + y * stride + x * 3;
            p[0] = static_cast<uint8_t>(x * 2 + seed * 40);
            p[1] = static_cast<uint8_t>(y * 2 + seed * 17);
            p[2] = static_cast<uint8_t>((x + y) + seed * 90);
        }
    return rows;
}

inline std::vector<uint8_t> EncodeStream(int width, int height, int seed, int quality = 90) {
    JpegEncoder encoder(static_cast<uint16_t>(quality));
    encoder.jfifMode = false;
    auto pixels = TestPixels(width, height, seed);
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(width, height, 0));
    size_t size = 0;
    EXPECT_TRUE(encoder.encode(pixels.data(), out.data(), width, height, size, 0, out.size()));
    out.resize(size);
    return out;
}

// Writes an album straight into the flash, as the frame's own firmware would keep it:
// pictures back to back from the picture area's start, then the index block.
inline void PokeAlbum(SimulatedFrame& frame, uint32_t indexAddress,
                      const std::vector<std::vector<uint8_t>>& pictures) {
    std::vector<uint8_t> index(4096, 0);
    std::memcpy(index.data(), "TQFS", 4);
    uint32_t address = indexAddress + 4096;
    for (size_t i = 0; i < pictures.size(); ++i) {
        uint8_t* e = index.data() + 16 + 8 * i;
        e[0] = 1;
        e[1] = address & 0xFF, e[2] = (address >> 8) & 0xFF, e[3] = (address >> 16) & 0xFF;
        const uint32_t n = static_cast<uint32_t>(pictures[i].size());
        e[5] = n & 0xFF, e[6] = (n >> 8) & 0xFF, e[7] = (n >> 16) & 0xFF;
        ASSERT_TRUE(frame.Poke(address, pictures[i]));
        address += n;
    }
    ASSERT_TRUE(frame.Poke(indexAddress, index));
}

// Everything a transfer needs, around one simulated frame.
struct TransferRig {
    explicit TransferRig(FrameImageOptions options = {}, const std::string& thumbKeys = "") {
        image = dir / "frame.img";
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, options, error)) << error;
        frame = SimulatedFrame::Open(image, error);
        EXPECT_TRUE(frame) << error;
        frame->SetBusyPolls(0);
        channel = std::make_unique<FrameChannel>(frame);
        commands = std::make_unique<DeviceCommands>(*channel);
        commands->SetWaitReadyLimit(std::chrono::milliseconds(200));

        const std::string keys =
            thumbKeys.empty() ? "ThumbWidth=64\nThumbColumn=3\nSThumbWidth=80\nSThumbColumn=4\n"
                              : thumbKeys;
        std::ofstream(dir / "shipped.ini") << "[info]\n" << keys << "ProgressCtrl=ON\n";
        std::filesystem::copy_file(dir / "shipped.ini", dir / "work.ini");
        settings.SetShipped(dir / "shipped.ini");
        settings.SetCurrent(dir / "work.ini");
        paths = WorkPaths::Under(dir / "work");
        std::filesystem::create_directories(paths.albumFolder);
        album = std::make_unique<FileAlbum>(paths.albumFolder);
        context = std::make_unique<TransferContext>(
            TransferContext{fe, language, settings, state, paths, nullptr, nullptr});
        context->enableControls = [this](bool on) { enabled.push_back(on); };
        connection = std::make_unique<DeviceConnection>(*context, *commands);
        reader = std::make_unique<AlbumReader>(*connection, *album, decoder);
        sync = std::make_unique<Synchronizer>(*connection, *album);
        sync->SetBackupRoot(dir / "backups");
    }

    // An arrival attach followed by the read the "DPFAttach" event starts.
    void AttachAndRead() {
        state.m_bAttached = true;
        connection->Attach();
        ASSERT_TRUE(connection->IsConnected());
        state.m_bReady = false;
        reader->ReadAlbum();
    }

    // Forgets the connection and the album, as a new arrival does, then attaches and reads.
    void Reattach() {
        album->Empty();
        connection->ReleaseBuffers();
        state.m_bAttached = false;
        state.m_bModified = false;
        state.m_bReadStopped = false;
        AttachAndRead();
    }

    // Adds a device picture stream to the album as Add does: model and album file.
    void AddPicture(const std::vector<uint8_t>& stream) {
        FlashModel& model = connection->Model();
        ASSERT_TRUE(model.FitsNewPicture(static_cast<int>(stream.size()), album->count));
        model.CaptureNextAddress();
        ASSERT_TRUE(model.AppendPicture(album->count, stream.data(), stream.size()));
        DecodedPicture picture;
        const DeviceInfo& info = connection->Info();
        ASSERT_TRUE(
            decoder.decode(stream.data(), stream.size(), info.lcdWidth, info.lcdHeight, picture));
        album->StoreAlbumPicture(album->count + 1, BottomUp(picture).data(), info.lcdWidth,
                                 info.lcdHeight);
        state.m_bModified = true;
    }

    static std::vector<uint8_t> BottomUp(const DecodedPicture& p) {
        const int stride = BmpRowStride(p.width);
        std::vector<uint8_t> rows(static_cast<size_t>(stride) * p.height, 0);
        for (int y = 0; y < p.height; ++y)
            std::memcpy(rows.data() + (p.height - 1 - y) * stride, p.bgr.data() + y * p.width * 3,
                        static_cast<size_t>(p.width) * 3);
        return rows;
    }

    TempDir dir;
    std::filesystem::path image;
    std::shared_ptr<SimulatedFrame> frame;
    std::unique_ptr<FrameChannel> channel;
    std::unique_ptr<DeviceCommands> commands;
    HookedFrontend fe;
    Language language;
    Settings settings;
    AppState state;
    WorkPaths paths;
    JpegDecoder decoder;
    std::unique_ptr<FileAlbum> album;
    std::unique_ptr<TransferContext> context;
    std::unique_ptr<DeviceConnection> connection;
    std::unique_ptr<AlbumReader> reader;
    std::unique_ptr<Synchronizer> sync;
    std::vector<bool> enabled;
};

}  // namespace framewise::test
