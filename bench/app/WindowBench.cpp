// The window's responsiveness, measured rather than tested: the time from a process start to
// its first painted window, and the longest the window's event loop is kept from running while
// 100 pictures are read from, then synchronized to, a simulated frame at USB full speed.
// Goals: the first paint within 150 ms of the start; no stall above 50 ms.
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "codec/BmpFile.h"
#include "codec/JpegEncoder.h"
#include "config/ControlIds.h"
#include "device/FrameImage.h"
#include "picture/Workbench.h"

namespace fw = framewise;
namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 100;
constexpr int kPaintRuns = 15;
constexpr double kPaintGoalMs = 150.0;
constexpr double kStallGoalMs = 50.0;

int64_t MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// A 128 x 128 picture with soft gradients, different for every k, as a device picture stream.
std::vector<uint8_t> Stream(int k) {
    const int stride = fw::BmpRowStride(128);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            uint8_t* p = rows.data() + y * stride + x * 3;
            p[0] = static_cast<uint8_t>(x * 2 + k * 40);
            p[1] = static_cast<uint8_t>(y * 2 + k * 17);
            p[2] = static_cast<uint8_t>(x + y + k * 90);
        }
    fw::JpegEncoder encoder(90);
    std::vector<uint8_t> out(fw::JpegEncoder::MaxEncodedSize(128, 128, 0));
    size_t size = 0;
    encoder.encode(rows.data(), out.data(), 128, 128, size, 0, out.size());
    out.resize(size);
    return out;
}

// A fresh frame whose album holds `count` pictures, laid in as the frame's firmware keeps them.
bool MakeFrame(const fs::path& image, int count) {
    std::string error;
    if (!fw::CreateFrameImage(image, fw::FrameImageOptions{}, error)) return false;
    auto frame = fw::SimulatedFrame::Open(image, error);
    if (!frame) return false;
    std::vector<uint8_t> index(4096, 0);
    std::memcpy(index.data(), "TQFS", 4);
    uint32_t address = 0x30000 + 4096;
    for (int k = 0; k < count; ++k) {
        const std::vector<uint8_t> stream = Stream(k + 1);
        uint8_t* e = index.data() + 16 + 8 * k;
        const auto n = static_cast<uint32_t>(stream.size());
        e[0] = 1;
        e[1] = address & 0xFF, e[2] = (address >> 8) & 0xFF, e[3] = (address >> 16) & 0xFF;
        e[5] = n & 0xFF, e[6] = (n >> 8) & 0xFF, e[7] = (n >> 16) & 0xFF;
        if (!frame->Poke(address, stream)) return false;
        address += n;
    }
    return frame->Poke(0x30000, index);
}

// Runs the event loop until done() holds (looked at every 5 ms) or the time runs out.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 120000) {
    QEventLoop loop;
    QTimer check;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs) loop.quit();
    });
    check.start(5);
    loop.exec();
    return done();
}

// The longest gap between two ticks of a 1 ms timer on the window's thread, less the tick:
// how long the event loop was kept from running.
class StallMeter {
  public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
    }
    void Start() {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double StopMs() {
        m_timer.stop();
        return std::max<qint64>(0, m_worst - 1000000) / 1e6;
    }

  private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

fw::AppOptions Options(const fs::path& dir, const fs::path& image) {
    fs::create_directories(dir);
    fw::AppOptions o;
    o.simulateImage = image;
    o.workRoot = dir / "work";
    o.backupRoot = dir / "backups";
    o.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
    return o;
}

bool ReadEnded(fw::Program& program) {
    const fw::AppState& s = program.Session().State();
    return (s.m_bAlbumRead || s.m_bReadStopped) && s.m_bReady &&
           !program.Session().Worker().Running();
}

// Process start to first paint: framewise started as a user starts it, on a frame of nine
// pictures; it reports its first paint and ends.
std::vector<double> FirstPaints(const fs::path& dir) {
    const fs::path image = dir / "paint.img";
    std::vector<double> runs;
    if (!MakeFrame(image, 9)) return runs;
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FRAMEWISE_FIRST_PAINT_EXIT"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"),
               QString::fromStdString((dir / "runtime").string()));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QStringList args{QStringLiteral("--simulate"), QString::fromStdString(image.string()),
                           QStringLiteral("--work-root"),
                           QString::fromStdString((dir / "paintwork").string())};
    for (int i = 0; i < kPaintRuns; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        const int64_t started = MonotonicNs();
        process.start(QStringLiteral(FRAMEWISE_APP), args);
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            continue;
        }
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            if (!line.startsWith("first-paint ")) continue;
            const int64_t painted = line.mid(12).toLongLong();
            runs.push_back((painted - started) / 1e6);
        }
    }
    std::sort(runs.begin(), runs.end());
    return runs;
}

struct TransferFigures {
    double seconds = 0;
    double worstStallMs = -1;
    double withAttachMs = -1;  // the read: the stall with the attach before it
    int pictures = 0;
};

// The read of 100 pictures at USB full speed, from the window's "DPFAttach" to its end.
TransferFigures Read(const fs::path& dir) {
    TransferFigures f;
    const fs::path image = dir / "read.img";
    if (!MakeFrame(image, kPictures)) return f;
    fw::AppOptions options = Options(dir / "read", image);
    options.simLink = fw::SimulatedFrame::UsbFullSpeed();
    fw::Program program(options);
    // From the attach's end (the read is started next) to the read's end; and the whole
    // start, the attach on the window's thread included.
    StallMeter meter;
    StallMeter whole;
    QElapsedTimer clock;
    program.Hooks().frameAttached = [&] {
        clock.start();
        meter.Start();
    };
    if (program.Start()) return f;
    whole.Start();
    RunUntil([&] { return ReadEnded(program); });
    f.worstStallMs = meter.StopMs();
    f.withAttachMs = whole.StopMs();
    f.seconds = clock.elapsed() / 1000.0;
    f.pictures = program.Session().List().ItemCount();
    program.Shutdown();
    return f;
}

// The synchronize of 100 new pictures (added as a batch beforehand) at USB full speed.
TransferFigures Synchronize(const fs::path& dir) {
    TransferFigures f;
    const fs::path image = dir / "sync.img";
    if (!MakeFrame(image, 0)) return f;
    fw::Program program(Options(dir / "sync", image));
    if (program.Start() || !RunUntil([&] { return ReadEnded(program); })) return f;
    std::vector<std::string> files;
    fs::create_directories(dir / "photos");
    for (int k = 0; k < kPictures; ++k) {
        QImage photo(160, 120, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(
                    x, y,
                    qRgb((x * 3 + k * 11) % 256, (y * 5 + k * 7) % 256, (x + y + k * 29) % 256));
        const fs::path file = dir / "photos" / ("photo" + std::to_string(k) + ".bmp");
        photo.save(QString::fromStdString(file.string()), "BMP");
        files.push_back(file.string());
    }
    fw::AppState& state = program.Session().State();
    if (!program.Bench().Adder().AcceptBatch(files) || !RunUntil([&] {
            return !state.m_bBatchAdding && state.m_bReady &&
                   program.Window().Control(fw::kIdSynchronize)->isEnabled();
        }))
        return f;
    f.pictures = program.Session().List().ItemCount();
    program.Session().Simulated()->SetLinkModel(fw::SimulatedFrame::UsbFullSpeed());
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    meter.Start();
    program.Window().OnSynchronize();
    RunUntil([&] {
        return !state.m_bModified && state.m_bReady && !program.Session().Worker().Running();
    });
    f.worstStallMs = meter.StopMs();
    f.seconds = clock.elapsed() / 1000.0;
    program.Shutdown();
    return f;
}

const char* Verdict(bool met) {
    return met ? "goal met" : "GOAL MISSED";
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    char pattern[] = "/tmp/window-bench-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) return 1;
    const fs::path dir(made);

    const std::vector<double> paints = FirstPaints(dir);
    const TransferFigures read = Read(dir);
    const TransferFigures sync = Synchronize(dir);
    std::error_code ec;
    fs::remove_all(dir, ec);

    std::printf("\nwindow_bench (%s platform)\n", qPrintable(QGuiApplication::platformName()));
    if (paints.empty()) {
        std::printf("  process start to first paint: no run reported its paint\n");
    } else {
        const double median = paints[paints.size() / 2];
        std::printf(
            "  process start to first paint: median %.1f ms, best %.1f ms, worst %.1f ms "
            "over %zu runs (goal <= %.0f ms: %s)\n",
            median, paints.front(), paints.back(), paints.size(), kPaintGoalMs,
            Verdict(median <= kPaintGoalMs));
    }
    std::printf(
        "  read of %d pictures at USB full speed: %.2f s, worst event-loop stall %.1f ms "
        "(goal <= %.0f ms: %s)\n",
        read.pictures, read.seconds, read.worstStallMs, kStallGoalMs,
        Verdict(read.worstStallMs >= 0 && read.worstStallMs <= kStallGoalMs));
    std::printf("    with the attach on the window's thread before it: worst stall %.1f ms\n",
                read.withAttachMs);
    std::printf(
        "  synchronize of %d new pictures at USB full speed: %.2f s, worst event-loop "
        "stall %.1f ms (goal <= %.0f ms: %s)\n",
        sync.pictures, sync.seconds, sync.worstStallMs, kStallGoalMs,
        Verdict(sync.worstStallMs >= 0 && sync.worstStallMs <= kStallGoalMs));
    return 0;
}
