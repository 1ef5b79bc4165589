// The picture side over a session on a simulated frame, for the Add and batch tests: test
// pictures, a Frontend whose window thread a test may stand in for, and the fixture.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "picture/Workbench.h"

namespace framewise::test {

namespace fs = std::filesystem;

// A picture of noise, which no quality makes small.
inline QImage Noise(int w, int h, unsigned seed) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, rng() | 0xFF000000u);
    return image;
}

// Something like a photograph: smooth shading, a few shapes with soft edges, fine texture.
inline QImage PhotoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            const int r = int(120 + 100 * std::sin(6.0 * u) * std::cos(4.0 * v));
            const int g = int(90 + 80 * v + 20 * std::sin(40.0 * u));
            const int b = int(60 + 150 * u * (1 - v));
            image.setPixel(x, y, qRgb(r, g, b));
        }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(230, 200, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(w * 0.5, h * 0.5), w * 0.08, h * 0.1);
    painter.setBrush(QColor(20, 40, 160));
    painter.drawRect(QRectF(w * 0.46, h * 0.3, w * 0.1, h * 0.08));
    return image;
}

// Records like RecordingFrontend; a test may run the batch's per-picture steps on a thread of
// its own, as the window runs them on its thread.
class WindowFrontend : public RecordingFrontend {
  public:
    std::function<void(const std::function<void()>&)> window;
    void RunOnWindowThread(const std::function<void()>& step) override {
        if (window)
            window(step);
        else
            step();
    }
};

// The window's thread as a queue of steps the worker waits on.
class GuiThread {
  public:
    void Post(const std::function<void()>& step) {
        std::unique_lock lock(m_mutex);
        bool done = false;
        m_steps.push_back([&] {
            step();
            std::lock_guard inner(m_doneMutex);
            done = true;
            m_doneCv.notify_all();
        });
        m_cv.notify_all();
        lock.unlock();
        std::unique_lock wait(m_doneMutex);
        m_doneCv.wait(wait, [&] { return done; });
    }
    // Runs steps until stop() answers true.
    void Pump(const std::function<bool()>& stop) {
        while (!stop()) {
            std::unique_lock lock(m_mutex);
            if (!m_cv.wait_for(lock, std::chrono::milliseconds(5),
                               [&] { return !m_steps.empty(); }))
                continue;
            auto step = std::move(m_steps.front());
            m_steps.pop_front();
            lock.unlock();
            step();
        }
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_steps;
    std::mutex m_doneMutex;
    std::condition_variable m_doneCv;
};

class WorkbenchFixture : public ::testing::Test {
  protected:
    // A frame image, a session over it attached and read, and the picture side over that.
    void Attach(const FrameImageOptions& options) {
        std::string error;
        ASSERT_TRUE(CreateFrameImage(image, options, error)) << error;
        Reopen();
    }
    void Reopen() {
        Open();
        ASSERT_TRUE(session->AttachAndRead());
        MakeBench();
    }
    // A session over the frame image, opened but not attached.
    void Open() {
        bench.reset();
        session.reset();
        session = std::make_unique<FrameSession>(fe);
        FrameSessionOptions o;
        o.workRoot = dir / ("work" + std::to_string(++opened));
        o.simulateImage = image;
        o.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        std::string error;
        ASSERT_TRUE(session->Open(o, error)) << error;
        session->Simulated()->SetBusyPolls(0);
    }
    // The picture side over the attached session.
    void MakeBench() {
        bench = std::make_unique<Workbench>(*session, fe);
        bench->Attached();
    }
    std::string Save(const QImage& picture, const std::string& name, const char* format = "BMP") {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(picture.save(QString::fromStdString(path), format, 95));
        return path;
    }
    bool ShowAndAdd(const std::string& path) {
        EXPECT_TRUE(bench->Canvas().ShowFolderPicture(path));
        return bench->Adder().AddPicture();
    }
    int Count() { return session->List().ItemCount(); }
    std::string LastEvent() {
        const auto events = fe.Events();
        return events.empty() ? std::string() : events.back();
    }
    int MemFull() {
        int n = 0;
        for (const auto& m : fe.Messages()) n += m.rfind("The maximum number", 0) == 0;
        return n;
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    WindowFrontend fe;
    std::unique_ptr<FrameSession> session;
    std::unique_ptr<Workbench> bench;
    int opened = 0;
};

}  // namespace framewise::test
