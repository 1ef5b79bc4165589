#include "cli/StdoutDiverted.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace framewise::cli {

StdoutDiverted::StdoutDiverted() {
    std::cout.flush();
    std::fflush(stdout);
    m_saved = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && null >= 0) ::dup2(null, STDOUT_FILENO);
    if (null >= 0) ::close(null);
}

StdoutDiverted::~StdoutDiverted() {
    std::fflush(stdout);
    if (m_saved < 0) return;
    ::dup2(m_saved, STDOUT_FILENO);
    ::close(m_saved);
}

}  // namespace framewise::cli
