#include "transfer/TransferWorker.h"

namespace framewise {

namespace {
// The worker whose job runs on this thread.
thread_local const TransferWorker* t_jobOf = nullptr;
}  // namespace

bool TransferWorker::OnWorkerThread() const {
    return t_jobOf == this;
}

bool TransferWorker::Start(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    if (m_running.load()) return false;
    if (m_thread.joinable()) {
        // Started again from the end hook of the last job: that thread is ending by itself.
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach();
        else
            m_thread.join();
    }
    m_running = true;
    m_thread = std::thread([this, job = std::move(job)] {
        t_jobOf = this;
        job();
        t_jobOf = nullptr;
        m_running = false;
        if (m_jobEndHook) m_jobEndHook();
    });
    return true;
}

void TransferWorker::Join() {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

}  // namespace framewise
