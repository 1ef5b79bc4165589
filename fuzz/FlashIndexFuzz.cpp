// The flash header and the index block as a frame holds them, over arbitrary bytes: an
// attach and a whole album read through the simulated frame, as at every plug-in. The input
// is [64-byte flash header][4096-byte index block][the picture area from its first byte];
// the image around them is erased flash. Whatever the flash says, the read never writes to
// the frame, ends with exactly one end event, and leaves an album whose every picture lies
// inside the picture area.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "codec/BmpFile.h"
#include "codec/JpegDecoder.h"
#include "config/EventNames.h"
#include "config/RecordingFrontend.h"
#include "device/DeviceCommands.h"
#include "device/SimulatedFrame.h"
#include "transfer/AlbumReader.h"
#include "transfer/DeviceConnection.h"

using namespace framewise;

namespace {

constexpr uint32_t kBlock = 65536;
// Flash and LCD sizes are kept small enough for every buffer of a run to come from the
// sanitizer's pooled allocations (below 128 KB each; larger ones are mapped and unmapped
// every time, which makes a run a hundred times slower): a header that declares more is
// brought into range (its low bits kept); one that declares an LCD the attach refuses anyway
// keeps it. The parsing does not depend on the sizes.
constexpr uint32_t kMaxFlashBytes = 0x10000;
constexpr uint32_t kMaxLcd = 63;

uint32_t Get24(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16);
}
void Put24(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16);
}

std::vector<uint8_t> BuildImage(const uint8_t* data, size_t size) {
    uint8_t header[64];
    std::memset(header, 0xFF, sizeof header);
    std::memcpy(header, data, std::min<size_t>(size, 64));
    if (Get24(header + 43) > kMaxFlashBytes)
        Put24(header + 43, Get24(header + 43) & (2 * kMaxFlashBytes - 1));
    for (size_t at : {size_t(35), size_t(37)}) {
        uint32_t side = header[at] | (header[at + 1] << 8);
        if (side > kMaxLcd && side <= uint32_t(kMaxLcdSide)) side &= kMaxLcd;
        header[at] = uint8_t(side), header[at + 1] = uint8_t(side >> 8);
    }
    const uint32_t index = Get24(header + 32);
    const size_t rest = size > 64 ? size - 64 : 0;
    uint64_t need = std::max<uint64_t>(Get24(header + 43), uint64_t(index) + rest);
    need = std::clamp<uint64_t>((need + kBlock - 1) / kBlock * kBlock, kBlock, kMaxFlashBytes);

    std::vector<uint8_t> image(need, 0xFF);
    std::memcpy(image.data(), header, sizeof header);
    if (index >= 64 && index < image.size()) {
        const size_t n = std::min<size_t>(rest, image.size() - index);
        if (n) std::memcpy(image.data() + index, data + 64, n);
    }
    return image;
}

class Channel : public DeviceChannel {
  public:
    explicit Channel(SimulatedFrame& frame) : m_frame(frame) {}
    bool IsPresent() const override { return m_frame.IsPlugged(); }
    bool SendDataIn(const uint8_t* cdb, int n, uint32_t length, uint8_t* data) override {
        return m_frame.SendDataIn(cdb, n, length, data);
    }
    bool SendDataOut(const uint8_t* cdb, int n, uint32_t length, const uint8_t* data) override {
        return m_frame.SendDataOut(cdb, n, length, data);
    }

  private:
    SimulatedFrame& m_frame;
};

// The album as the read hands it over, kept in memory.
class Album : public AlbumSink {
  public:
    explicit Album(const DeviceInfo& info) : m_info(info) {}
    int AlbumCount() const override { return count; }
    bool CanStorePictures() const override { return true; }
    bool StoreAlbumPicture(int number, const uint8_t*, int width, int height) override {
        FUZZ_CHECK(number == count + 1);
        FUZZ_CHECK(width == m_info.lcdWidth && height == m_info.lcdHeight);
        count = number;
        return true;
    }
    void RefreshAlbumList() override {}
    void UpdatePictureTotal(int) override {}
    void EnsureVisible(int) override {}
    int count = 0;

  private:
    const DeviceInfo& m_info;
};

// One frame for the whole run, its flash rewritten for every input: opening a frame costs
// more than the read itself.
SimulatedFrame& Frame() {
    static const std::shared_ptr<SimulatedFrame> frame = [] {
        const std::filesystem::path image = fuzz::Scratch() / "frame.img";
        const std::vector<uint8_t> erased(kMaxFlashBytes, 0xFF);
        fuzz::WriteBytes(image, erased.data(), erased.size());
        std::string error;
        std::shared_ptr<SimulatedFrame> opened = SimulatedFrame::Open(image, error);
        if (!opened) std::fprintf(stderr, "%s\n", error.c_str());
        FUZZ_CHECK(opened);
        opened->SetBusyPolls(0);
        return opened;
    }();
    return *frame;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const auto& dir = fuzz::Scratch();
    std::ofstream(dir / "shipped.ini") << "[info]\nThumbWidth=64\nThumbColumn=3\n"
                                          "SThumbWidth=80\nSThumbColumn=4\nProgressCtrl=ON\n";
    std::filesystem::copy_file(dir / "shipped.ini", dir / "work.ini",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::create_directories(WorkPaths::Under(fuzz::Scratch() / "work").albumFolder);
    // The decoder names each picture's sampling on standard output.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> flash = BuildImage(data, size);
    SimulatedFrame& frame = Frame();
    FUZZ_CHECK(frame.Poke(0, flash));
    frame.ClearLog();
    Channel channel(frame);
    DeviceCommands commands(channel);

    RecordingFrontend frontend;
    Language language;
    // The start-up file the attach records the device values in.
    Settings settings;
    settings.SetShipped(fuzz::Scratch() / "shipped.ini");
    settings.SetCurrent(fuzz::Scratch() / "work.ini");
    AppState state;
    const WorkPaths paths = WorkPaths::Under(fuzz::Scratch() / "work");
    TransferContext context{frontend, language, settings, state, paths, nullptr, nullptr};
    DeviceConnection connection(context, commands);
    JpegDecoder decoder;
    Album album(connection.Info());
    AlbumReader reader(connection, album, decoder);

    // An arrival attach, then the read its "DPFAttach" starts.
    state.m_bAttached = true;
    connection.Attach();
    if (connection.IsConnected()) {
        state.m_bReady = false;
        reader.ReadAlbum();
        const int finished = frontend.Count("event", std::string(events::kFinishThread));
        const int failed = frontend.Count("event", std::string(events::kTransferFailed));
        FUZZ_CHECK(finished + failed == 1);
        FUZZ_CHECK(state.m_bReady);
        FUZZ_CHECK(state.m_bAlbumRead == (finished == 1));

        const FlashModel& model = connection.Model();
        FUZZ_CHECK(model.TotalStoredBytes() >= 0 && model.TotalStoredBytes() <= model.FlashBytes());
        FUZZ_CHECK(model.UsedEnd() <= model.FlashBytes());
        if (state.m_bAlbumRead) {
            FUZZ_CHECK(album.count <= connection.Info().capacity);
            for (int i = 0; i < album.count; ++i) {
                const PictureRecord& record = model.Record(i);
                FUZZ_CHECK(record.inUse == 1);
                FUZZ_CHECK(model.InPictureArea(record.address, record.length));
            }
        }
    }
    if (std::getenv("FUZZ_VERBOSE"))
        for (const auto& entry : frontend.Entries())
            std::fprintf(stderr, "%s: %s %ld\n", entry.kind.c_str(), entry.text.c_str(),
                         entry.value);
    // Reading is reading: the frame holds exactly what it held before.
    FUZZ_CHECK(frame.Flash() == flash);
    FUZZ_CHECK(frame.Programs().empty() && frame.EraseAddresses().empty());
    return 0;
}
