// A full disk for one step: the step runs in a child process whose files cannot grow past a
// size (RLIMIT_FSIZE, which binds root as well), so a write past it fails (EFBIG) after what
// fitted was written, as when the disk fills. The files the child leaves are there for the
// parent to look at; what the child's memory held comes back as the step's answer text.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace framewise::test {

// The step's answer, or nullopt when the child did not end normally.
inline std::optional<std::string> WithFileSizeLimit(rlim_t bytes,
                                                    const std::function<std::string()>& step) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        // The default action of the signal a too-long write raises would end the child.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
        const std::string answer = step();
        size_t done = 0;
        while (done < answer.size()) {
            const ssize_t n = ::write(fds[1], answer.data() + done, answer.size() - done);
            if (n <= 0) ::_exit(3);
            done += static_cast<size_t>(n);
        }
        // No exit handlers: the parent's test state (and its sanitizers) are not the child's.
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) answer.append(buffer, size_t(n));
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return answer;
}

}  // namespace framewise::test
