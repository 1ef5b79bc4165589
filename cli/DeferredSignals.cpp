#include "cli/DeferredSignals.h"

#include <unistd.h>

namespace framewise::cli {

namespace {

volatile std::sig_atomic_t g_pending = 0;

void Note(int signal) {
    if (g_pending != 0) return;
    g_pending = signal;
    static const char kText[] = "framewise-cli: stopping once the frame is written\n";
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, kText, sizeof kText - 1);
}

}  // namespace

DeferredSignals::DeferredSignals() {
    g_pending = 0;
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the transfers under way go on
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &m_previous[i]);
}

DeferredSignals::~DeferredSignals() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &m_previous[i], nullptr);
    const int pending = g_pending;
    g_pending = 0;
    if (pending != 0) std::raise(pending);
}

}  // namespace framewise::cli
