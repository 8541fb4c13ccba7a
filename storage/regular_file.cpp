#include "storage/regular_file.h"

#include "storage/storage_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelmar {

int OpenRegularFileForReading(const std::string& path) {
    // O_NONBLOCK: opening a pipe nobody writes to would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    return fd < 0 ? -1 : SettleNonBlockingOpen(fd, true);
}

int SettleNonBlockingOpen(int fd, bool regularOnly) {
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (regularOnly && !S_ISREG(info.st_mode)) {
        error = kNotRegularFile;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

FileBytes ReadRegularFile(const std::string& path, std::size_t limit) {
    FileBytes result;
    const int fd = OpenRegularFileForReading(path);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    char block[4096];
    while (result.bytes.size() < limit) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.error = errno;
            result.bytes.clear();
            break;
        }
        if (n == 0) {
            break;
        }
        result.bytes.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (result.bytes.size() > limit) {
        result.bytes.resize(limit);
    }
    return result;
}

} // namespace kelmar
