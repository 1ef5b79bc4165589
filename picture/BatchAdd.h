// The batch add worker: shows each queued picture and adds it, on its own thread, until the
// queue ends or the album is full; "ProcessFinish" then tells the window to tidy up.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
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

// Runs a step on the thread that owns the window and returns when it has run there.
using GuiCall = std::function<void(const std::function<void()>& step)>;

class BatchAdd {
  public:
    BatchAdd(PictureAdder& adder, PreviewCanvas& canvas);
    ~BatchAdd();
    BatchAdd(const BatchAdd&) = delete;
    BatchAdd& operator=(const BatchAdd&) = delete;

    // Without one, each step runs on the worker's own thread.
    void SetGuiCall(GuiCall call) { m_guiCall = std::move(call); }

    // "ReceivePic": the worker on its own thread over the add queue. False when one runs.
    bool Start();
    // The worker's loop on the caller's thread, for a run without a window.
    void RunSynchronously();
    void Join();
    bool Running() const { return m_running; }

    // "ProcessFinish": the album list rebuilt, the total, the modified flag, the controls.
    // The window then disables zooming and rotating and restores its minimize box.
    void Finish();

    // Pictures the last batch added, and what became of each queued one (read after the
    // worker ended; pictures after a stop are not added).
    int Added() const { return m_added; }
    const std::vector<BatchItem>& Items() const { return m_items; }

  private:
    void Run();
    void OnGui(const std::function<void()>& step);

    PictureAdder& m_adder;
    PreviewCanvas& m_canvas;
    GuiCall m_guiCall;
    std::thread m_hWorker;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_added{0};
    std::vector<BatchItem> m_items;
};

}  // namespace framewise
