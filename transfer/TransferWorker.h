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

    // Starts job on the worker thread; false when a job still runs. A finished job's thread
    // is joined first.
    bool Start(std::function<void()> job);
    // Waits for the running job, if any.
    void Join();
    bool Running() const { return m_running.load(); }

  private:
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

}  // namespace framewise
