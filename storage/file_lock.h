// An exclusive advisory lock (flock) on a lock file, held while the object
// lives. Copies of the game that read, merge and rewrite the same file take
// turns through it; the kernel drops the lock of a process that dies, so a
// killed copy never blocks the others.
#pragma once

#include <chrono>
#include <string>

namespace kelmar {

class FileLock {
public:
    // Opens (creating it, mode 0666 less the umask) `lockPath` and waits up to
    // `timeout` for the lock. Throws IoError with `action` and the reason
    // when the file cannot be opened or the lock is still held by another
    // process after the timeout. The lock file is never removed: removing it
    // would let two processes hold locks on two different files.
    FileLock(const std::string& lockPath, std::chrono::milliseconds timeout,
             const std::string& action);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    int fd_ = -1;
};

} // namespace kelmar
