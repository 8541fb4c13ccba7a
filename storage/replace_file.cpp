#include "storage/replace_file.h"

#include "storage/storage_error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelmar {
namespace {

IoError failure(const std::string& action, int errorNumber) {
    return IoError(action + ": " + GermanErrorText(errorNumber) + ".");
}

// Permissions for the new file: those of the file it replaces, or what a
// plain create would give.
mode_t permissionsFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string temporaryTemplate(const std::string& target) {
    const auto slash = target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + base + ".XXXXXX";
}

} // namespace

TemporarySibling::TemporarySibling(const std::string& target, const std::string& action)
    : target_(target), action_(action) {
    const mode_t permissions = permissionsFor(target);
    std::string pattern = temporaryTemplate(target);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        throw failure(action_, errno);
    }
    path_ = name.data();
    const bool modeSet = ::fchmod(fd, permissions) == 0;
    const int modeError = errno;
    ::close(fd);
    if (!modeSet) {
        ::unlink(path_.c_str());
        throw failure(action_, modeError);
    }
}

TemporarySibling::~TemporarySibling() {
    if (!committed_) {
        ::unlink(path_.c_str());
    }
}

void TemporarySibling::commit() {
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        throw failure(action_, errno);
    }
    committed_ = true;
}

void WriteWholeFile(const std::string& path, const std::string& bytes, const std::string& action) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw failure(action, errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            throw failure(action, error);
        }
        done += static_cast<std::size_t>(written);
    }
    // A file renamed over the old one must be on disk first, or a crash right
    // after the rename could leave an empty file.
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        throw failure(action, error);
    }
    if (::close(fd) != 0) {
        throw failure(action, errno);
    }
}

} // namespace kelmar
