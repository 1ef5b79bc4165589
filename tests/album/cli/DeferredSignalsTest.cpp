// Ctrl-C while the frame is written: the write goes on to its end, then the run ends by the
// signal as it would have.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "cli/DeferredSignals.h"

namespace framewise {
namespace {

TEST(DeferredSignals, ASignalDuringAWriteEndsTheRunAfterIt) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(fds[0]);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        {
            cli::DeferredSignals held;
            std::raise(SIGINT);
            std::raise(SIGTERM);
            [[maybe_unused]] ssize_t n = ::write(fds[1], "written", 7);
        }
        [[maybe_unused]] ssize_t n = ::write(fds[1], "+after", 6);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string got;
    char buffer[16];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) got.append(buffer, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(got, "written");
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);  // the first that came

    // Without a signal nothing happens, and the earlier handler is back afterwards.
    static volatile std::sig_atomic_t seen = 0;
    auto previous = std::signal(SIGTERM, [](int) { seen = 1; });
    { cli::DeferredSignals held; }
    std::raise(SIGTERM);
    EXPECT_EQ(seen, 1);
    std::signal(SIGTERM, previous);
}

}  // namespace
}  // namespace framewise
