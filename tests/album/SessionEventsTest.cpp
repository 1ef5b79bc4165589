// The frame session driven as a window drives it: events posted to a queue that the test's
// own thread takes one by one and turns into one call on the session each, never joining a
// worker that still runs. Every read and synchronize must end with exactly one end event.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include "EditSessionSupport.h"
#include "album/FrameSession.h"
#include "config/EventNames.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Records like RecordingFrontend and queues the posted events for the "window thread".
class WindowFrontend : public test::HookedFrontend {
  public:
    void PostEvent(std::string_view name, long wParam) override {
        RecordingFrontend::PostEvent(name, wParam);
        {
            std::lock_guard lock(m_mutex);
            m_queue.emplace_back(std::string(name), wParam);
        }
        m_ready.notify_all();
        // A worker that lingers after posting: a handler that acts at once must not mind.
        if (lingerAfterPost.count() > 0) std::this_thread::sleep_for(lingerAfterPost);
    }
    std::optional<std::pair<std::string, long>> Next(std::chrono::milliseconds wait) {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, wait, [&] { return !m_queue.empty(); })) return std::nullopt;
        auto event = m_queue.front();
        m_queue.pop_front();
        return event;
    }
    int EndEvents() const {
        return Count("event", std::string(events::kFinishThread)) +
               Count("event", std::string(events::kTransferFailed));
    }
    std::chrono::milliseconds lingerAfterPost{0};

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::pair<std::string, long>> m_queue;
};

class SessionEventsTest : public ::testing::Test {
  protected:
    void Open(int pictures) {
        for (int seed = 1; seed <= pictures; ++seed)
            streams.push_back(test::EncodeStream(128, 128, seed));
        test::CreateFrameWith(image, {}, streams);
        session = test::OpenSession(fe, dir.path(), image, /*hotPlug=*/true);
        frame = session->Simulated().get();
    }
    void AddStream(int seed) { test::AddStream(*session, test::EncodeStream(128, 128, seed)); }

    // The window's event loop: the frame's change notification and the posted events, each
    // handled by one call on the session, until `done` says so (or a time limit passes).
    struct Loop {
        std::function<void(TransferEnd)> onEnd;  // after each end event
        std::function<bool()> done;
        bool watchDevice = true;  // hear of the frame going and coming
        std::vector<TransferEnd> ends;
        int arrivals = 0;
        int removals = 0;
        bool freedUnderWorker = false;
    };
    void Run(Loop& loop) {
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (!loop.done() && std::chrono::steady_clock::now() < limit) {
            pollfd pfd{session->NotificationFd(), POLLIN, 0};
            if (loop.watchDevice && pfd.fd >= 0 && ::poll(&pfd, 1, 0) > 0)
                session->HandleNotification();
            auto event = fe.Next(5ms);
            if (!event) continue;
            const auto& [name, wParam] = *event;
            TransferEnd end = TransferEnd::Continue;
            if (name == events::kHidDeviceChange && wParam != 0) {
                ++loop.arrivals;
                if (session->Arrive()) session->StartAlbumRead();
                continue;
            }
            if (name == events::kHidDeviceChange) {
                if (session->BeginRemoval())
                    removalBegunUnderWorker = true;
                else
                    Removed(loop, session->FinishRemoval());
                continue;
            }
            if (name == events::kFinishThread) end = session->OnFinishThread();
            if (name == events::kTransferFailed) end = session->OnTransferFailed(wParam);
            if (name != events::kFinishThread && name != events::kTransferFailed) continue;
            loop.ends.push_back(end);
            if (end == TransferEnd::Removed) Removed(loop, true);
            if (loop.onEnd) loop.onEnd(end);
        }
    }
    void Removed(Loop& loop, bool finished) {
        EXPECT_TRUE(finished);
        ++loop.removals;
        // The images and the picture table are free now, and nothing uses them any more.
        if (session->Worker().Running()) loop.freedUnderWorker = true;
        EXPECT_FALSE(session->Connection().IsConnected());
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    WindowFrontend fe;
    std::unique_ptr<FrameSession> session;
    SimulatedFrame* frame = nullptr;
    std::atomic<bool> removalBegunUnderWorker{false};
    std::vector<std::vector<uint8_t>> streams;
};

TEST_F(SessionEventsTest, EveryReadAndSynchronizeEndsWithExactlyOneEndEvent) {
    Open(5);
    const std::string failed(events::kTransferFailed), finished(events::kFinishThread);
    struct Case {
        const char* name;
        std::function<bool()> start;  // arms what the case needs and starts the transfer
        std::string end;
        long which;
        TransferEnd handled;
    };
    auto read = [&] { return session->StartAlbumRead(); };
    auto sync = [&] {
        AddStream(90);
        return session->StartSynchronize();
    };
    auto afterStatus = [&](std::string status, std::function<void()> act) {
        fe.onStatus = [&, status, act](const std::string& text) {
            if (text == status) act();
        };
    };
    const Case cases[] = {
        {"a read cut short by an unplug",
         [&] {
             frame->InjectFault(SimFault::Unplug, 8);
             return read();
         },
         failed, events::kTransferRead, TransferEnd::Continue},
        {"a read stopped after picture 2",
         [&] {
             frame->Plug();
             afterStatus("2 / 5", [&] { session->StopAlbumRead(); });
             return read();
         },
         failed, events::kTransferRead, TransferEnd::Continue},
        {"a read whose index cannot be verified",
         [&] {
             for (int i = 0; i < 4; ++i) frame->InjectFault(SimFault::WrongVerify, 1);
             return read();
         },
         failed, events::kTransferRead, TransferEnd::Continue},
        {"a whole read", read, finished, 0, TransferEnd::Continue},
        {"a synchronize whose writes keep failing",
         [&] {
             for (int i = 0; i < 4; ++i) frame->InjectFault(SimFault::CorruptProgram, 1);
             return sync();
         },
         failed, events::kTransferSynchronize, TransferEnd::Continue},
        {"a whole synchronize", sync, finished, 0, TransferEnd::Continue},
        {"a synchronize stopped to quit whose shortened index fails",
         [&] {
             afterStatus("Sending.......2/8", [&] {
                 session->State().m_bQuitPending = true;
                 for (int i = 0; i < 4; ++i) frame->InjectFault(SimFault::CorruptProgram, 1);
             });
             return sync();
         },
         failed, events::kTransferSynchronize, TransferEnd::Quit},
        {"a synchronize stopped to quit",
         [&] {
             afterStatus("Sending.......2/9", [&] { session->State().m_bQuitPending = true; });
             return sync();
         },
         finished, 0, TransferEnd::Quit},
    };
    ASSERT_TRUE(session->StartupAttach());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fe.Clear();
        fe.onStatus = nullptr;
        session->State().m_bQuitPending = false;
        ASSERT_TRUE(c.start());
        Loop loop;
        loop.done = [&] { return !loop.ends.empty(); };
        loop.watchDevice = false;  // an unplug here is a transfer cut short, nothing more
        Run(loop);
        // Nothing else arrives once the worker is idle.
        EXPECT_FALSE(fe.Next(50ms));
        EXPECT_EQ(fe.EndEvents(), 1);
        ASSERT_EQ(fe.Events().back(), c.end);
        EXPECT_EQ(fe.Entries().back().value, c.which);
        ASSERT_EQ(loop.ends.size(), 1u);
        EXPECT_EQ(loop.ends[0], c.handled);
        EXPECT_FALSE(session->Worker().Running());
        EXPECT_TRUE(session->State().m_bReady);
        EXPECT_EQ(session->State().m_bAlbumRead,
                  c.end == finished || c.which != events::kTransferRead);
    }
    // The quit deleted the album files, as the window's exit does.
    EXPECT_TRUE(session->Folder().AlbumNames().empty());
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(1)));
}

TEST_F(SessionEventsTest, AnEmptyAlbumEndsTheReadWithFinishThread) {
    Open(0);
    ASSERT_TRUE(session->StartupAttach());
    ASSERT_TRUE(session->StartAlbumRead());
    Loop loop;
    loop.done = [&] { return !loop.ends.empty(); };
    Run(loop);
    EXPECT_EQ(fe.Events(), (std::vector<std::string>{"DPFAttach", "FinishThread"}));
    EXPECT_EQ(fe.LastStatus(), "No photos in device!");
    EXPECT_TRUE(session->State().m_bAlbumRead);
}

// The next transfer starts from the handler of the last one's end event, while the worker
// that posted it still lingers on its thread.
TEST_F(SessionEventsTest, TheHandlerOfAnEndEventCanStartTheNextTransfer) {
    Open(3);
    fe.lingerAfterPost = 30ms;
    ASSERT_TRUE(session->StartupAttach());
    ASSERT_TRUE(session->StartAlbumRead());
    int started = 0;
    Loop loop;
    loop.onEnd = [&](TransferEnd) {
        if (started == 4) return;
        AddStream(20 + started);
        EXPECT_TRUE(session->StartSynchronize()) << started;
        ++started;
    };
    loop.done = [&] { return loop.ends.size() == 5 || fe.Count("event", "TransferFailed") > 0; };
    Run(loop);
    EXPECT_EQ(started, 4);
    EXPECT_EQ(fe.Count("event", "FinishThread"), 5);
    EXPECT_EQ(fe.Count("event", "TransferFailed"), 0);
    fe.lingerAfterPost = 0ms;
    EXPECT_EQ(test::FlashIndex(frame->Flash(), 0x30000).size(), 7u);
}

// The frame is pulled while a worker uses the images and buffers: the removal waits for the
// worker's end, and a frame plugged in again is read afresh.
TEST_F(SessionEventsTest, RemovalWaitsForTheWorkerAndANewArrivalReadsAgain) {
    Open(12);
    for (const char* during : {"read", "synchronize", "nothing"}) {
        SCOPED_TRACE(during);
        fe.Clear();
        frame->Plug();
        frame->DrainChangeFd();
        ASSERT_TRUE(session->Arrive());
        ASSERT_TRUE(session->StartAlbumRead());
        Loop first;
        first.done = [&] { return !first.ends.empty(); };
        Run(first);
        ASSERT_EQ(session->List().ItemCount(), 12);
        const std::string trigger = std::string(during) == "read" ? "4 / 12" : "Sending.......3/13";
        // The worker is held up once the frame is out until the window has begun the
        // removal, so that the removal surely finds it running.
        removalBegunUnderWorker = false;
        fe.onStatus = [&, trigger](const std::string& text) {
            if (text != trigger) return;
            frame->Unplug();
            for (int i = 0; i < 1000 && !removalBegunUnderWorker; ++i)
                std::this_thread::sleep_for(5ms);
        };
        fe.Clear();
        const bool transfer = std::string(during) != "nothing";
        if (std::string(during) == "read") {
            ASSERT_TRUE(session->Arrive());  // another arrival: the album is read afresh
            ASSERT_TRUE(session->StartAlbumRead());
        } else if (std::string(during) == "synchronize") {
            AddStream(40);
            ASSERT_TRUE(session->StartSynchronize());
        } else {
            frame->Unplug();
        }
        Loop loop;
        loop.done = [&] { return loop.removals == 1 && loop.ends.size() == (transfer ? 1u : 0u); };
        Run(loop);
        fe.onStatus = nullptr;
        EXPECT_EQ(loop.removals, 1);
        EXPECT_FALSE(loop.freedUnderWorker);
        EXPECT_EQ(fe.EndEvents(), transfer ? 1 : 0);
        EXPECT_EQ(removalBegunUnderWorker.load(), transfer);
        EXPECT_FALSE(session->State().m_bAttached);
        EXPECT_FALSE(session->State().m_bAlbumRead);
        EXPECT_FALSE(session->State().m_bModified);
        EXPECT_TRUE(session->State().m_bReady);
        EXPECT_EQ(fe.LastStatus(), "DPF Detached!");
        EXPECT_FALSE(session->Connection().Model().IsAllocated());
        EXPECT_EQ(session->Connection().Model().Record(0).inUse, 0xFF);

        // Plugged in again: arrival, attach and a whole read of what the frame holds.
        fe.Clear();
        frame->Plug();
        Loop again;
        again.done = [&] { return !again.ends.empty(); };
        Run(again);
        EXPECT_EQ(again.arrivals, 1);
        EXPECT_EQ(fe.Events(),
                  (std::vector<std::string>{"HIDDEVICECHANGE", "DPFAttach", "FinishThread"}));
        EXPECT_EQ(session->List().ItemCount(), 12);
        EXPECT_TRUE(session->State().m_bAlbumRead);
        EXPECT_EQ(test::FlashIndex(frame->Flash(), 0x30000).size(), 12u);
    }
}

}  // namespace
}  // namespace framewise
