#include "transfer/TransferWorker.h"

namespace framewise {

bool TransferWorker::Start(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    if (m_running.load()) return false;
    if (m_thread.joinable()) m_thread.join();
    m_running = true;
    m_thread = std::thread([this, job = std::move(job)] {
        job();
        m_running = false;
    });
    return true;
}

void TransferWorker::Join() {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace framewise
