#include "storage/kept_game.h"

#include "storage/saved_game.h"
#include "storage/storage_error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelmar {
namespace {

// Renames `from` to `to` unless `to` exists; errno EEXIST when it does.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without RENAME_NOREPLACE: a hard link fails on an
    // existing name just as atomically.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder == "." ? name : folder + "/" + name;
}

} // namespace

KeptGameFiles::KeptGameFiles(const std::string& folder)
    : folder_(folder), path_(inFolder(folder, kResumeFileName)),
      lockPath_(inFolder(folder, kResumeLockFileName)) {}

std::string KeptGameFiles::DamagedName(int n) {
    return n <= 1 ? std::string(kDamagedResumeFileName)
                  : std::string(kDamagedResumeFileName) + "-" + std::to_string(n);
}

std::string KeptGameFiles::lock() {
    lockError_ = lock_.acquire(lockPath_);
    if (lockError_ == 0) {
        return {};
    }
    return "Das letzte Spiel kann nicht fortgesetzt werden: " + notKeptReason() +
           ".\nDas Spiel dieses Fensters wird beim Beenden nicht aufbewahrt.";
}

std::string KeptGameFiles::notKeptReason() const {
    if (lock_.held()) {
        return {};
    }
    if (lockError_ == EWOULDBLOCK) {
        return "Ein anderes Kelmar-Fenster bewahrt es auf (Sperrdatei " +
               QuotedFileName(kResumeLockFileName) + ")";
    }
    return LockFailureText(kResumeLockFileName, lockError_ == 0 ? EWOULDBLOCK : lockError_);
}

bool KeptGameFiles::exists() const {
    struct stat info = {};
    return ::lstat(path_.c_str(), &info) == 0;
}

std::string KeptGameFiles::load(Game& game) {
    try {
        LoadGame(game, path_);
        return {};
    } catch (const StorageError& error) {
        // Set aside, so that the next start does not complain again and
        // nothing of it (nor of an earlier one) is lost.
        std::string warning =
            std::string("Das letzte Spiel konnte nicht fortgesetzt werden.\n") + error.what();
        int reason = EEXIST;
        for (int n = 1; n <= kMaxDamagedResumeFiles && reason == EEXIST; ++n) {
            const std::string name = DamagedName(n);
            if (renameNoReplace(path_, inFolder(folder_, name))) {
                return warning + "\nDie Datei heißt jetzt " + QuotedFileName(name) + ".";
            }
            reason = errno;
        }
        return warning + "\nKann sie nicht in " + QuotedFileName(kDamagedResumeFileName) +
               " umbenennen: " + GermanErrorText(reason) + ".";
    }
}

void KeptGameFiles::write(const Game& game) const {
    SaveGame(game, path_);
}

void KeptGameFiles::remove() const {
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
        throw IoError("Kann " + QuotedFileName(kResumeFileName) +
                      " nicht entfernen: " + GermanErrorText(errno) + ".");
    }
}

} // namespace kelmar
