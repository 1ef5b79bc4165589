// Add in the window: 12-megapixel photos (real photographs enlarged to 4000 x 3000 JPEG files)
// on a simulated 320 x 240 frame, on the offscreen platform.
//   BM_ClickToAlbumItem   the folder picture clicked and Add clicked, until its album item is
//                         there (goal: 150 ms)
//   BM_AddClick           Add clicked with the photo already in the preview
//   BM_BatchOfTwenty      20 photos dropped, until "ProcessFinish" has been handled; the counter
//                         worst_stall_ms is the longest the window's thread did not turn its
//                         event loop meanwhile (goal: 100 ms)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

#include "PictureWindow.h"

namespace fw = framewise;
namespace fs = std::filesystem;

namespace {

fw::test::TempDir& Scratch() {
    static fw::test::TempDir dir;
    return dir;
}

// Twenty 12-megapixel photos, made once from the real ones.
const std::vector<std::string>& Photos() {
    static const std::vector<std::string> photos = [] {
        std::vector<std::string> made;
        const QStringList sources = fw::test::PhotoSources();
        for (int i = 0; i < 20 && !sources.isEmpty(); ++i) {
            const QImage big = QImage(sources[i % sources.size()])
                                   .scaled(4000, 3000, Qt::IgnoreAspectRatio,
                                           Qt::SmoothTransformation);
            const std::string path = (Scratch() / ("camera" + std::to_string(i) + ".jpg")).string();
            if (!big.save(QString::fromStdString(path), "JPG", 92)) return std::vector<std::string>();
            made.push_back(path);
        }
        return made;
    }();
    return photos;
}

fw::FrameImageOptions Frame() {
    fw::FrameImageOptions options;
    options.lcdWidth = 320;
    options.lcdHeight = 240;
    options.flashKb = 8192;
    return options;
}

// A fresh frame before its flash fills up (about 30 KB a picture of 8 MB).
constexpr int kPicturesPerFrame = 100;

// Whether album item n (from 1) is there.
bool AlbumItemThere(fw::test::PictureWindow& w, int n) {
    return w.Count() >= n;
}

void BM_ClickToAlbumItem(benchmark::State& state) {
    if (Photos().empty()) return state.SkipWithError("no photographs (mate-backgrounds)");
    auto w = std::make_unique<fw::test::PictureWindow>(Frame());
    int i = 0;
    for (auto _ : state) {
        if (w->Count() >= kPicturesPerFrame) {
            state.PauseTiming();
            w = std::make_unique<fw::test::PictureWindow>(Frame());
            state.ResumeTiming();
        }
        const int before = w->Count();
        w->side->ShowFolderPicture(Photos()[size_t(i++ % 20)]);
        QTest::mouseClick(w->Get(fw::kIdAdd), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return AlbumItemThere(*w, before + 1); }, 10000))
            return state.SkipWithError("the photo was not added");
    }
}
BENCHMARK(BM_ClickToAlbumItem)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_AddClick(benchmark::State& state) {
    if (Photos().empty()) return state.SkipWithError("no photographs (mate-backgrounds)");
    auto w = std::make_unique<fw::test::PictureWindow>(Frame());
    w->side->ShowFolderPicture(Photos()[0]);
    for (auto _ : state) {
        if (w->Count() >= kPicturesPerFrame) {
            state.PauseTiming();
            w = std::make_unique<fw::test::PictureWindow>(Frame());
            w->side->ShowFolderPicture(Photos()[0]);
            state.ResumeTiming();
        }
        const int before = w->Count();
        QTest::mouseClick(w->Get(fw::kIdAdd), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return AlbumItemThere(*w, before + 1); }, 10000))
            return state.SkipWithError("the photo was not added");
    }
}
BENCHMARK(BM_AddClick)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_BatchOfTwenty(benchmark::State& state) {
    if (Photos().empty()) return state.SkipWithError("no photographs (mate-backgrounds)");
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fw::test::PictureWindow w(Frame());
        // The event loop's heartbeat: a gap between two beats is a stall of the window.
        QElapsedTimer clock;
        qint64 last = 0;
        bool running = false;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            if (running) worst = std::max(worst, double(now - last));
            last = now;
        });
        state.ResumeTiming();
        clock.start();
        running = true;
        beat.start(1);
        const bool done = w.DropAndWait(Photos(), 120000);
        running = false;
        beat.stop();
        if (!done || w.Count() != 20) return state.SkipWithError("the batch did not add every photo");
    }
    state.counters["worst_stall_ms"] = worst;
}
BENCHMARK(BM_BatchOfTwenty)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Photos();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
