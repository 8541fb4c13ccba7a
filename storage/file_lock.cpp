#include "storage/file_lock.h"

#include "storage/regular_file.h"
#include "storage/storage_error.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kelmar {
namespace {

constexpr long kPollNanoseconds = 5'000'000;

// The lock file opened without following a link and without waiting for a
// pipe's other end; -1 with errno set.
int openLockFile(const std::string& path) {
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        const int first = errno;
        fd = ::open(path.c_str(), O_RDONLY | kFlags);
        if (fd < 0 && errno == ENOENT) {
            errno = first; // the file could not be made: say why
        }
    }
    return fd < 0 ? -1 : SettleNonBlockingOpen(fd, true);
}

} // namespace

int FileLock::acquire(const std::string& path, std::chrono::milliseconds wait) {
    if (fd_ >= 0) {
        return 0;
    }
    const int fd = openLockFile(path);
    if (fd < 0) {
        return errno;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) ||
            (error == EWOULDBLOCK && std::chrono::steady_clock::now() >= deadline)) {
            ::close(fd);
            return error;
        }
        if (error == EWOULDBLOCK) {
            const timespec pause{0, kPollNanoseconds};
            ::nanosleep(&pause, nullptr);
        }
    }
    fd_ = fd;
    return 0;
}

void FileLock::release() {
    if (fd_ >= 0) {
        ::close(fd_); // drops the flock
        fd_ = -1;
    }
}

std::string LockFailureText(const std::string& path, int error) {
    const std::string name = QuotedFileName(path);
    if (error == EWOULDBLOCK) {
        return "Eine andere Kelmar-Sitzung gibt die Sperrdatei " + name + " nicht frei";
    }
    if (error == ELOOP) {
        return "Die Sperrdatei " + name + " ist eine Verknüpfung";
    }
    return "Die Sperrdatei " + name + " ist nicht nutzbar (" + GermanErrorText(error) + ")";
}

} // namespace kelmar
