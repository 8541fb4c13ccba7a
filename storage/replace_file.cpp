#include "storage/replace_file.h"

#include "storage/storage_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
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

constexpr int kRandomDigits = 16;
constexpr int kMaxLinksFollowed = 40;

// kTemporaryPrefix, 16 random lower-case hexadecimal digits, kTemporarySuffix.
std::string randomTemporaryName() {
    unsigned char bytes[kRandomDigits / 2] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            // No entropy source: the clock and the process still make a name
            // that O_EXCL or linkat() refuse to reuse.
            const auto mix = static_cast<uint64_t>(std::time(nullptr)) * 1000003u ^
                             static_cast<uint64_t>(::getpid()) ^ reinterpret_cast<uintptr_t>(&got);
            for (std::size_t i = got; i < sizeof bytes; ++i) {
                bytes[i] = static_cast<unsigned char>(mix >> (8 * (i % 8)));
            }
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name(kTemporaryPrefix);
    for (const unsigned char b : bytes) {
        name += kDigits[b >> 4];
        name += kDigits[b & 15];
    }
    name += kTemporarySuffix;
    return name;
}

// What the files we write start with: a settings file, a saved game
// ("KLMR", the saved-game magic word in file order), the records file and
// the kept game's side record.
constexpr std::string_view kOurContentStarts[] = {"[Kelmar]\r\n", "KLMR", "Kelmar-Spiele ",
                                                  "Deal="};

bool startsAsOurContent(int folder, const char* name) {
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    char head[16] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    const std::string_view start(head, n > 0 ? static_cast<std::size_t>(n) : 0);
    for (const std::string_view mark : kOurContentStarts) {
        if (start.substr(0, mark.size()) == mark) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string WriteTargetOf(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinksFollowed; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> link(4096);
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) {
            return path;
        }
        const std::string next(link.data(), static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : folderOf(current) + next;
    }
    return path;
}

TemporarySibling::TemporarySibling(const std::string& target, const std::string& action)
    : target_(WriteTargetOf(target)), action_(action) {
    struct stat info {};
    if (::lstat(target_.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        throw failure(action_, ELOOP); // links without end; the link stays
    }
    refuseSpecialFile(target_, action_);
    const mode_t permissions = permissionsFor(target_);
    const std::string folder = folderOf(target_);
    nameless_ =
        ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (nameless_ >= 0) {
        path_ = "/proc/self/fd/" + std::to_string(nameless_);
        // Without /proc the file could be neither reopened nor linked.
        if (::access(path_.c_str(), W_OK) == 0 && ::fchmod(nameless_, permissions) == 0) {
            return;
        }
        ::close(nameless_);
        nameless_ = -1;
    }
    createNamed(folder);
    if (::chmod(path_.c_str(), permissions) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        throw failure(action_, error);
    }
}

void TemporarySibling::createNamed(const std::string& folder) {
    for (int attempt = 0;; ++attempt) {
        path_ = folder + randomTemporaryName();
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return;
        }
        if (errno != EEXIST || attempt == 8) {
            const int error = errno;
            path_.clear();
            throw failure(action_, error);
        }
    }
}

TemporarySibling::~TemporarySibling() {
    if (nameless_ >= 0) {
        ::close(nameless_);
    } else if (!committed_ && !path_.empty()) {
        ::unlink(path_.c_str());
    }
}

void TemporarySibling::commit() {
    if (nameless_ < 0) {
        if (::rename(path_.c_str(), target_.c_str()) != 0) {
            throw failure(action_, errno);
        }
        committed_ = true;
        return;
    }
    // There is no call that puts a nameless file over an existing name, so
    // it gets a temporary name for the moment of the rename.
    const std::string folder = folderOf(target_);
    for (int attempt = 0;; ++attempt) {
        const std::string named = folder + randomTemporaryName();
        if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            if (::rename(named.c_str(), target_.c_str()) != 0) {
                const int error = errno;
                ::unlink(named.c_str());
                throw failure(action_, error);
            }
            committed_ = true;
            return;
        }
        if (errno != EEXIST || attempt == 8) {
            throw failure(action_, errno);
        }
    }
}

bool IsTemporaryName(std::string_view name) {
    const std::size_t length = kTemporaryPrefix.size() + kRandomDigits + kTemporarySuffix.size();
    if (name.size() != length || name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
        name.substr(length - kTemporarySuffix.size()) != kTemporarySuffix) {
        return false;
    }
    const std::string_view digits = name.substr(kTemporaryPrefix.size(), kRandomDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

int RemoveStaleTemporaries(const std::string& folder, std::time_t now) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return 0;
    }
    int removed = 0;
    const uid_t self = ::geteuid();
    while (const dirent* entry = ::readdir(directory)) {
        if (!IsTemporaryName(entry->d_name)) {
            continue;
        }
        struct stat info {};
        // Only our own regular files that no write can still be busy with.
        const int at = ::dirfd(directory);
        if (::fstatat(at, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == self &&
            info.st_mtime + kStaleTemporarySeconds < now && startsAsOurContent(at, entry->d_name) &&
            ::unlinkat(at, entry->d_name, 0) == 0) {
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
