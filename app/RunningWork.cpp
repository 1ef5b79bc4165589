#include "app/RunningWork.h"

#include <utility>

namespace framewise {

RunningWork::RunningWork(std::function<bool()> thumbnailsRunning, QObject* parent)
    : QObject(parent), m_thumbnailsRunning(std::move(thumbnailsRunning)) {
    m_recheck.setInterval(kRecheckMs);
    connect(&m_recheck, &QTimer::timeout, this, &RunningWork::Check);
}

void RunningWork::Started(Kind kind) {
    ++m_counts[Index(kind)];
}

void RunningWork::Ended(Kind kind) {
    int& count = m_counts[Index(kind)];
    // An end event without a start we saw (a batch whose thread could not be made ends at
    // once) must not make the count go below nothing.
    if (count > 0) --count;
    Check();
}

bool RunningWork::AnyRuns() const {
    for (int count : m_counts)
        if (count > 0) return true;
    return m_thumbnailsRunning && m_thumbnailsRunning();
}

void RunningWork::EndWhenIdle(std::function<void()> end) {
    if (m_ending) return;
    m_ending = true;
    m_end = std::move(end);
    m_recheck.start();
    Check();
}

void RunningWork::Check() {
    if (!m_end || AnyRuns()) return;
    m_recheck.stop();
    // Taken first: the end may show a message, whose loop delivers more events here.
    const std::function<void()> end = std::exchange(m_end, {});
    end();
}

}  // namespace framewise
