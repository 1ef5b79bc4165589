// Holds back Ctrl-C, hang-up and terminate while the frame's flash is being written, so that a
// run is never killed between erasing a block and programming it again.
#pragma once

#include <csignal>

namespace framewise::cli {

class DeferredSignals {
  public:
    // From here on SIGINT, SIGTERM and SIGHUP are only noted, in every thread.
    DeferredSignals();
    // Puts the earlier handlers back, then raises the first signal that came meanwhile, which
    // ends the program as it would have at once.
    ~DeferredSignals();
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_previous[3];
};

}  // namespace framewise::cli
