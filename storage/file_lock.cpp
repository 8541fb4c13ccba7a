#include "storage/file_lock.h"

#include "storage/storage_error.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kelmar {
namespace {

constexpr long kPollNanoseconds = 5'000'000;

} // namespace

FileLock::FileLock(const std::string& lockPath, std::chrono::milliseconds timeout,
                   const std::string& action) {
    // O_NONBLOCK: a pipe under the name must not stop the open.
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS)) {
        // flock() needs no write access: a lock file another user made works.
        fd_ = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd_ < 0) {
        throw IoError(action + ": " + GermanErrorText(errno) + ".");
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw IoError(action + ": " +
                          (error == EWOULDBLOCK
                               ? std::string("Eine andere Kelmar-Sitzung gibt die Datei nicht frei")
                               : GermanErrorText(error)) +
                          ".");
        }
        const timespec pause{0, kPollNanoseconds};
        ::nanosleep(&pause, nullptr);
    }
}

FileLock::~FileLock() {
    // Closing the descriptor releases the lock.
    ::close(fd_);
}

} // namespace kelmar
