// Add of 12-megapixel photos (4000 x 3000 JPEG files) to a simulated 320 x 240 frame: one
// picture shown and added, and a batch of 20 run to its end, with the decoder's lines dropped.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <filesystem>
#include <memory>

#include "album/FrameSession.h"
#include "cli/StdoutDiverted.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "picture/Workbench.h"

namespace fw = framewise;
namespace fs = std::filesystem;

namespace {

// A work folder for the whole run.
struct Scratch {
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "fwbench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) root = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

Scratch& Work() {
    static Scratch scratch;
    return scratch;
}

// A photograph-like 12-megapixel JPEG file, made once.
const std::string& Photo() {
    static const std::string path = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const double u = x / 4000.0, v = y / 3000.0;
                line[x] = qRgb(int(120 + 100 * std::sin(6 * u) * std::cos(4 * v)),
                               int(90 + 80 * v + 20 * std::sin(300 * u)),
                               int(60 + 150 * u * (1 - v)) ^ ((x * 7 + y * 13) & 15));
            }
        }
        QPainter painter(&image);
        painter.setBrush(QColor(230, 200, 40));
        painter.drawEllipse(QPointF(2000, 1500), 400, 300);
        painter.end();
        const std::string file = (Work().root / "photo.jpg").string();
        image.save(QString::fromStdString(file), "JPG", 92);
        return file;
    }();
    return path;
}

// A fresh frame, attached and read, with the picture side over it.
struct Run {
    Run() {
        static int n = 0;
        const fs::path image = Work().root / ("frame" + std::to_string(++n) + ".img");
        fw::FrameImageOptions options;
        options.lcdWidth = 320;
        options.lcdHeight = 240;
        options.flashKb = 8192;
        std::string error;
        fw::CreateFrameImage(image, options, error);
        session = std::make_unique<fw::FrameSession>(frontend);
        fw::FrameSessionOptions o;
        o.workRoot = Work().root / ("work" + std::to_string(n));
        o.simulateImage = image;
        o.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        ok = session->Open(o, error);
        if (ok) {
            session->Simulated()->SetBusyPolls(0);
            ok = session->AttachAndRead();
        }
        bench = std::make_unique<fw::Workbench>(*session, frontend);
        bench->Attached();
        bench->SetFitMode(fw::FitMode::Crop);
    }
    fw::RecordingFrontend frontend;
    std::unique_ptr<fw::FrameSession> session;
    std::unique_ptr<fw::Workbench> bench;
    bool ok = false;
};

void BM_AddOnePhoto(benchmark::State& state) {
    const std::string& photo = Photo();
    auto run = std::make_unique<Run>();
    for (auto _ : state) {
        if (run->session->List().ItemCount() >= 400) {
            state.PauseTiming();
            run = std::make_unique<Run>();
            state.ResumeTiming();
        }
        fw::cli::StdoutDiverted quiet;
        const bool shown = run->bench->Canvas().ShowFolderPicture(photo);
        const bool added = run->bench->Adder().AddPicture();
        if (!run->ok || !shown || !added) {
            state.SkipWithError("the photo was not added");
            break;
        }
    }
}
BENCHMARK(BM_AddOnePhoto)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BatchOfTwenty(benchmark::State& state) {
    const std::vector<std::string> queue(20, Photo());
    for (auto _ : state) {
        state.PauseTiming();
        Run run;
        state.ResumeTiming();
        fw::cli::StdoutDiverted quiet;
        if (!run.ok || run.bench->AddAll(queue) != 20) {
            state.SkipWithError("the batch did not add every photo");
            break;
        }
    }
}
BENCHMARK(BM_BatchOfTwenty)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Photo();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
