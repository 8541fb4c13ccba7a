#include "storage/replace_file.h"

#include "storage/storage_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelmar {
namespace {

IoError failure(const std::string& action, int errorNumber) {
    return IoError(action + ": " + GermanErrorText(errorNumber) + ".");
}

// Permission bits of the new file: what a plain create gives (0666 less the
// umask), and no more than the regular file it replaces allowed. The bits of
// the file a link points to, and setuid, setgid and sticky bits, never pass
// on to a saved file.
mode_t permissionsFor(const std::string& target) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t permissions = 0666 & ~mask;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        permissions &= info.st_mode;
    }
    return permissions;
}

// A name that is not a regular file, a link or a folder (a pipe, a device,
// a socket) is not replaced; a folder fails at the rename.
void refuseSpecialFile(const std::string& target, const std::string& action) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode) &&
        !S_ISDIR(info.st_mode)) {
        throw failure(action, kNotRegularFile);
    }
}

std::string folderOf(const std::string& target) {
    const auto slash = target.find_last_of('/');
    return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

// Six characters of mkstemp's alphabet.
bool isUniqueSuffix(std::string_view text) {
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
           });
}

} // namespace

TemporarySibling::TemporarySibling(const std::string& target, const std::string& action)
    : target_(target), action_(action) {
    refuseSpecialFile(target, action_);
    const mode_t permissions = permissionsFor(target);
    // Short, so that a target name of up to 255 bytes still leaves room.
    std::string pattern = folderOf(target) + std::string(kTemporaryPrefix) + "XXXXXX";
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

bool IsStaleTemporaryName(std::string_view name) {
    for (const std::string_view prefix : {kTemporaryPrefix, std::string_view(".QuickSave.klmr."),
                                          std::string_view(".Kelmar.ini.")}) {
        if (name.substr(0, prefix.size()) == prefix && isUniqueSuffix(name.substr(prefix.size()))) {
            return true;
        }
    }
    return false;
}

int RemoveStaleTemporaries(const std::string& folder, std::time_t now) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return 0;
    }
    int removed = 0;
    const uid_t self = ::geteuid();
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (!IsStaleTemporaryName(name)) {
            continue;
        }
        struct stat info {};
        // Only our own regular files that no write can still be busy with.
        if (::fstatat(::dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == self &&
            info.st_mtime + kStaleTemporarySeconds < now &&
            ::unlinkat(::dirfd(directory), entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(directory);
    return removed;
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
