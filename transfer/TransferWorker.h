// The one worker thread of the window: runs an album read or a synchronize (or any other
// transfer job) on its own std::thread, one at a time, joinable.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace framewise {

class TransferWorker {
  public:
    TransferWorker() = default;
    ~TransferWorker() { Join(); }
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Runs on the worker thread after every job, once the worker counts as idle again: what
    // it hands on (the job's end event) may start the next job at once, and a join from then
    // on waits only for the hook itself. Set it before the first Start.
    void SetJobEndHook(std::function<void()> hook) { m_jobEndHook = std::move(hook); }

    // Starts job on the worker thread; false when a job still runs. A finished job's thread
    // is joined first (or let go, when this is called on that very thread from its hook).
    bool Start(std::function<void()> job);
    // Waits for the running job and its end hook, if any; does nothing on the worker's own
    // thread.
    void Join();
    bool Running() const { return m_running.load(); }
    // Whether the caller runs inside a job of this worker.
    bool OnWorkerThread() const;

  private:
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::function<void()> m_jobEndHook;
};

}  // namespace framewise
