#include "transfer/DurableFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace framewise {

namespace fs = std::filesystem;

namespace {

std::string Reason(const std::string& what, const fs::path& file, int err) {
    return what + " " + file.string() + " (" + std::strerror(err) + ")";
}

bool WriteAll(int fd, const uint8_t* data, size_t length) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool WriteFileDurably(const fs::path& file, const uint8_t* data, size_t length,
                      std::string& error) {
    fs::path part = file;
    part += ".part";
    const int fd =
        ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = Reason("cannot create", part, errno);
        return false;
    }
    int err = 0;
    if (!WriteAll(fd, data, length) || ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        std::error_code ec;
        fs::remove(part, ec);
        error = Reason("cannot write", part, err);
        return false;
    }
    std::error_code ec;
    fs::rename(part, file, ec);
    if (ec) {
        fs::remove(part, ec);
        error = "cannot rename into " + file.string();
        return false;
    }
    // The new name itself must reach the disk, or a crash could leave the old state behind.
    if (!SyncFolder(file.parent_path().empty() ? fs::path(".") : file.parent_path())) {
        error = Reason("cannot sync the folder of", file, errno);
        return false;
    }
    return true;
}

}  // namespace framewise
