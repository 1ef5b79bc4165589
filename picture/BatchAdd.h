// The batch add worker: shows each queued picture and adds it, on its own thread, until the
// queue ends, the album is full or the user stops it; "ProcessFinish" then tells the window to
// tidy up.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace framewise {

class PictureAdder;
class PreviewCanvas;

// What became of one queued picture.
struct BatchItem {
    std::string path;
    bool added = false;
    int quality = 0;       // of the stored stream
    std::size_t size = 0;  // its bytes
};

class BatchAdd {
  public:
    BatchAdd(PictureAdder& adder, PreviewCanvas& canvas);
    ~BatchAdd();
    BatchAdd(const BatchAdd&) = delete;
    BatchAdd& operator=(const BatchAdd&) = delete;

    // "ReceivePic": the worker on its own thread over the add queue of the accepted batch
    // (PictureAdder::AcceptBatch). Each picture is shown and added on the window's thread
    // (Frontend::RunOnWindowThread). False when a batch runs already; when the thread cannot
    // be made the batch ends at once with "ProcessFinish".
    bool Start();
    // The worker's loop on the caller's thread, for a run without a window.
    void RunSynchronously();
    // Stops the batch after the picture in hand; it then ends with "ProcessFinish" as usual.
    // Any thread; the window calls it from its own.
    void RequestStop();
    // Waits for the worker's thread. Instant from the "ProcessFinish" handler, since posting
    // that event is the worker's last act; never call it while the worker may be waiting on
    // the window's thread.
    void Join();
    bool Running() const { return m_running; }

    // "ProcessFinish": joins the ended worker; the album list rebuilt, the total, the modified
    // flag (only when a picture was added), the controls. The window then disables zooming and
    // rotating and restores its minimize box.
    void Finish();

    // Pictures the last batch added, whether it was stopped, and what became of each queued one
    // (read after the worker ended; pictures after a stop are not added).
    int Added() const { return m_added; }
    // Pictures the last batch began (the one in hand at a stop included) and queued.
    int Processed() const { return m_processed; }
    int Queued() const { return m_queued; }
    bool Stopped() const { return m_stopped; }
    const std::vector<BatchItem>& Items() const { return m_items; }

  private:
    void Run();
    void OnWindowThread(const std::function<void()>& step);
    // The worker's end: the flag cleared, the progress put back, "ProcessFinish" posted last.
    void End();

    PictureAdder& m_adder;
    PreviewCanvas& m_canvas;
    std::thread m_hWorker;
    std::atomic<bool> m_running{false};
    std::mutex m_stopMutex;  // the stop request against the batch's end
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_progressOff{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<int> m_added{0};
    std::atomic<int> m_processed{0};
    std::atomic<int> m_queued{0};
    std::vector<BatchItem> m_items;
};

}  // namespace framewise
