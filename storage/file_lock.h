// An exclusive advisory lock (flock) on a lock file, held from acquire()
// until release() or the end of the object. Copies of the game that share a
// file (the settings file, the kept game) take turns through it; the kernel
// drops the lock of a process that dies, so a killed copy never blocks the
// others.
//
// The same rules for every lock file: a link under the name is never
// followed (the name must not make us create or lock a file elsewhere);
// only a regular file is locked, never a folder, pipe, device or socket;
// a missing file is created with mode 0666 less the umask; a file we may
// not write is locked through a read-only open (flock needs no write
// access). The lock file is never removed: removing it would let two
// processes hold locks on two different files.
#pragma once

#include <chrono>
#include <string>

namespace kelmar {

class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { release(); }

    // Takes the lock on the file at `path`, waiting up to `wait` while
    // another open file holds it (zero, the default: tries once). Returns 0
    // when the lock is held now (also when this object already held it),
    // else why not: EWOULDBLOCK when it is still held elsewhere, ELOOP for a
    // link, EISDIR for a folder, kNotRegularFile (storage_error.h) for any
    // other file that is no regular one, or the errno of the open.
    int acquire(const std::string& path, std::chrono::milliseconds wait = {});
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Why the lock file `path` cannot be had, in German, for a result of
// FileLock::acquire; names the lock file.
std::string LockFailureText(const std::string& path, int error);

} // namespace kelmar
