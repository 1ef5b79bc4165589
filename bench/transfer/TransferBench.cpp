// Album read of 100 pictures of 128 x 128 from a simulated frame: the host CPU time per
// picture with a zero-latency link, and the whole read over the USB full-speed link model
// against the raw time the link itself takes for the same commands. And a synchronize of one
// picture added to that album over the same link: how much of it the backup read before the
// write takes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "codec/BmpFile.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "transfer/AlbumReader.h"
#include "transfer/DeviceConnection.h"
#include "transfer/Synchronizer.h"

namespace fw = framewise;
namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 100;
constexpr int kSide = 128;

// Forwards to the frame and adds up what the link model charges for each command.
class TimedChannel : public fw::DeviceChannel {
  public:
    TimedChannel(std::shared_ptr<fw::SimulatedFrame> frame, fw::SimulatedFrame::LinkModel link)
        : m_frame(std::move(frame)), m_link(link) {}
    bool IsPresent() const override { return m_frame->IsPlugged(); }
    bool SendDataIn(const uint8_t* cdb, int n, uint32_t length, uint8_t* data) override {
        const auto before = linkTime;
        Charge(length);
        if (cdb[0] == 0xCD && cdb[5] == 0 && cdb[10] == 0x03) readTime += linkTime - before;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = m_frame->SendDataIn(cdb, n, length, data);
        inLink += std::chrono::steady_clock::now() - start;
        return ok;
    }
    bool SendDataOut(const uint8_t* cdb, int n, uint32_t length, const uint8_t* data) override {
        Charge(length);
        const auto start = std::chrono::steady_clock::now();
        const bool ok = m_frame->SendDataOut(cdb, n, length, data);
        inLink += std::chrono::steady_clock::now() - start;
        return ok;
    }
    std::chrono::microseconds linkTime{0};          // what the model charges
    std::chrono::microseconds readTime{0};          // of it, for flash reads
    std::chrono::steady_clock::duration inLink{0};  // what the calls really took

  private:
    void Charge(uint32_t bytes) {
        linkTime += m_link.latency;
        if (m_link.bytesPerSecond > 0)
            linkTime +=
                std::chrono::microseconds((uint64_t{bytes} + 16) * 1000000 / m_link.bytesPerSecond);
    }
    std::shared_ptr<fw::SimulatedFrame> m_frame;
    fw::SimulatedFrame::LinkModel m_link;
};

class FileAlbum : public fw::AlbumSink {
  public:
    explicit FileAlbum(fs::path folder) : m_folder(std::move(folder)) {}
    int AlbumCount() const override { return m_count; }
    bool CanStorePictures() const override { return true; }
    bool StoreAlbumPicture(int number, const uint8_t* rows, int width, int height) override {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.bmp", number);
        if (!fw::WriteBmp24(m_folder / name, width, height, rows, 0)) return false;
        m_count = number;
        return true;
    }
    void RefreshAlbumList() override {}
    void UpdatePictureTotal(int) override {}
    void EnsureVisible(int) override {}
    void Reset() { m_count = 0; }
    void Added() { ++m_count; }

  private:
    fs::path m_folder;
    int m_count = 0;
};

// A frame image holding kPictures distinct pictures, made once.
struct Frame {
    fs::path dir, image;
    Frame() {
        std::string pattern = (fs::temp_directory_path() / "fwbench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        image = dir / "frame.img";
        std::string error;
        fw::FrameImageOptions options;
        options.lcdWidth = options.lcdHeight = kSide;
        fw::CreateFrameImage(image, options, error);
        auto frame = fw::SimulatedFrame::Open(image, error);
        fw::JpegEncoder encoder(90);
        const int stride = fw::BmpRowStride(kSide);
        std::vector<uint8_t> pixels(static_cast<size_t>(stride) * kSide);
        std::vector<uint8_t> out(fw::JpegEncoder::MaxEncodedSize(kSide, kSide, 0));
        std::vector<uint8_t> index(4096, 0);
        std::memcpy(index.data(), "TQFS", 4);
        uint32_t address = 0x31000;
        for (int i = 0; i < kPictures; ++i) {
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide * 3; ++x)
                    pixels[y * stride + x] =
                        static_cast<uint8_t>(x * (i % 7 + 1) / 3 + y * 2 + i * 5 + ((x * y) % 9));
            size_t size = 0;
            encoder.encode(pixels.data(), out.data(), kSide, kSide, size, 0, out.size());
            frame->Poke(address, std::vector<uint8_t>(out.begin(), out.begin() + size));
            uint8_t* e = index.data() + 16 + 8 * i;
            e[0] = 1;
            e[1] = address & 0xFF, e[2] = (address >> 8) & 0xFF, e[3] = (address >> 16) & 0xFF;
            e[5] = size & 0xFF, e[6] = (size >> 8) & 0xFF, e[7] = (size >> 16) & 0xFF;
            address += static_cast<uint32_t>(size);
        }
        frame->Poke(0x30000, index);
        std::ofstream(dir / "start.ini") << "[info]\nThumbWidth=64\nProgressCtrl=ON\n";
    }
    ~Frame() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Frame& TheFrame() {
    static Frame frame;
    return frame;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

struct ReadTimes {
    double cpu = 0;     // thread CPU of the read (the simulator's own work included)
    double wall = 0;    // wall time of the read
    double link = 0;    // what the link model charges for the read's commands
    double inLink = 0;  // wall time spent inside the link's calls (sleep overshoot included)
    bool ok = false;
};

// A fresh connection over the frame image with an empty album folder, as a device arrival
// starts, attached; the link model is set by the caller once the attach is done.
struct Rig {
    Rig(const fs::path& image, fw::SimulatedFrame::LinkModel link)
        : frame(OpenQuick(image)),
          channel(frame, link),
          commands(channel),
          settings(TheFrame().dir / "start.ini"),
          paths(EmptyAlbumFolder(fw::WorkPaths::Under(TheFrame().dir / "work"))),
          context{frontend, language, settings, state, paths, nullptr, nullptr},
          connection(context, commands),
          album(paths.albumFolder),
          reader(connection, album, decoder) {
        state.m_bAttached = true;
        connection.Attach();
    }

    static std::shared_ptr<fw::SimulatedFrame> OpenQuick(const fs::path& image) {
        std::string error;
        auto frame = fw::SimulatedFrame::Open(image, error);
        frame->SetBusyPolls(0);
        return frame;
    }
    static fw::WorkPaths EmptyAlbumFolder(fw::WorkPaths paths) {
        fs::remove_all(paths.albumFolder);
        fs::create_directories(paths.albumFolder);
        return paths;
    }

    std::shared_ptr<fw::SimulatedFrame> frame;
    TimedChannel channel;
    fw::DeviceCommands commands;
    fw::RecordingFrontend frontend;
    fw::Language language;
    fw::Settings settings;
    fw::AppState state;
    fw::WorkPaths paths;
    fw::TransferContext context;
    fw::DeviceConnection connection;
    fw::JpegDecoder decoder;
    FileAlbum album;
    fw::AlbumReader reader;
};

// Attaches a fresh connection, then reads the whole album; only the read is timed.
ReadTimes ReadOnce(fw::SimulatedFrame::LinkModel link) {
    Rig rig(TheFrame().image, link);
    rig.frame->SetLinkModel(link);
    rig.channel.linkTime = {};
    rig.channel.inLink = {};
    const uint64_t commandsBefore = rig.frame->TotalCommands();
    const double cpu0 = ThreadCpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    rig.reader.ReadAlbum();
    ReadTimes t;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    t.cpu = ThreadCpuSeconds() - cpu0;
    t.link = std::chrono::duration<double>(rig.channel.linkTime).count();
    t.inLink = std::chrono::duration<double>(rig.channel.inLink).count();
    t.ok = rig.album.AlbumCount() == kPictures && !rig.state.m_bReadStopped &&
           rig.frame->TotalCommands() > commandsBefore;
    return t;
}

void BM_ReadAlbumHostCpu(benchmark::State& s) {
    ReadTimes sum;
    bool ok = true;
    for (auto _ : s) {
        ReadTimes t = ReadOnce({});
        ok = ok && t.ok;
        sum.cpu += t.cpu;
    }
    if (!ok) s.SkipWithError("the read did not store every picture");
    s.counters["cpu_ms_per_picture"] = 1000.0 * sum.cpu / (kPictures * s.iterations());
}
BENCHMARK(BM_ReadAlbumHostCpu)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadAlbumUsbFullSpeed(benchmark::State& s) {
    ReadTimes sum;
    bool ok = true;
    for (auto _ : s) {
        ReadTimes t = ReadOnce(fw::SimulatedFrame::UsbFullSpeed());
        ok = ok && t.ok;
        sum.wall += t.wall;
        sum.link += t.link;
        sum.inLink += t.inLink;
        sum.cpu += t.cpu;
    }
    if (!ok) s.SkipWithError("the read did not store every picture");
    const double n = static_cast<double>(s.iterations());
    s.counters["read_s"] = sum.wall / n;
    s.counters["raw_link_s"] = sum.link / n;
    s.counters["overhead_pct"] = 100.0 * (sum.wall - sum.link) / sum.link;
    s.counters["in_link_s"] = sum.inLink / n;
    s.counters["host_cpu_s"] = sum.cpu / n;
    // What the program itself adds: its CPU time during the read against the raw link time.
    // The rest of the difference is waiting: the link model's sleeps running late on a
    // loaded machine.
    s.counters["host_cpu_overhead_pct"] = 100.0 * sum.cpu / sum.link;
}
BENCHMARK(BM_ReadAlbumUsbFullSpeed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Reads the album of a copy of the frame, adds one picture and synchronizes it over the link;
// only the synchronize is timed. Answers its wall time and the link time of its flash reads
// (the backup of the album area before writing), or a negative time when it failed.
std::pair<double, double> SynchronizeOnce(fw::SimulatedFrame::LinkModel link) {
    Frame& f = TheFrame();
    const fs::path image = f.dir / "sync.img";
    fs::copy_file(f.image, image, fs::copy_options::overwrite_existing);
    fs::remove_all(f.dir / "backups");
    Rig rig(image, link);
    fw::Synchronizer sync(rig.connection, rig.album);
    sync.SetBackupRoot(f.dir / "backups");
    rig.reader.ReadAlbum();

    fw::FlashModel& model = rig.connection.Model();
    std::vector<uint8_t> picture(model.Record(0).length);
    std::memcpy(picture.data(), model.PictureStore().data() + model.Record(0).address,
                picture.size());
    model.FitsNewPicture(static_cast<int>(picture.size()), rig.album.AlbumCount());
    model.CaptureNextAddress();
    model.AppendPicture(rig.album.AlbumCount(), picture.data(), picture.size());
    rig.album.Added();
    rig.state.m_bModified = true;

    rig.frame->SetLinkModel(link);
    rig.channel.readTime = {};
    const auto wall0 = std::chrono::steady_clock::now();
    const bool ok = sync.Synchronize();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    return {ok ? wall : -1.0, std::chrono::duration<double>(rig.channel.readTime).count()};
}

void BM_SynchronizeOnePictureUsbFullSpeed(benchmark::State& s) {
    double wall = 0, backup = 0;
    bool ok = true;
    for (auto _ : s) {
        const auto [w, b] = SynchronizeOnce(fw::SimulatedFrame::UsbFullSpeed());
        ok = ok && w >= 0;
        wall += w;
        backup += b;
    }
    if (!ok) s.SkipWithError("the synchronize failed");
    const double n = static_cast<double>(s.iterations());
    s.counters["synchronize_s"] = wall / n;
    s.counters["backup_read_link_s"] = backup / n;
    s.counters["backup_share_pct"] = 100.0 * backup / wall;
}
BENCHMARK(BM_SynchronizeOnePictureUsbFullSpeed)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
