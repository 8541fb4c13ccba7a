#include "storage/kept_game.h"

#include "core/numbered_deal.h"
#include "core/plain_text.h"
#include "storage/replace_file.h"
#include "storage/saved_game.h"
#include "storage/storage_error.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <optional>
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

// A whole decimal number in [low, high] with nothing around it, else
// nullopt.
std::optional<int64_t> numberIn(std::string_view text, int64_t low, int64_t high) {
    const std::optional<uint64_t> value =
        text.size() <= 12 ? ParseDigits(text, static_cast<uint64_t>(high)) : std::nullopt;
    if (!value || static_cast<int64_t>(*value) < low) {
        return std::nullopt;
    }
    return static_cast<int64_t>(*value);
}

// The largest side record read; anything larger is no record of ours.
constexpr std::size_t kMaxNotesBytes = 4096;

void removeFile(const std::string& path, const char* name) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw IoError("Kann " + QuotedFileName(name) +
                      " nicht entfernen: " + GermanErrorText(errno) + ".");
    }
}

} // namespace

std::string KeptGameNotesText(const KeptGameNotes& notes) {
    return "Deal=" + std::to_string(notes.deal.Number) +
           "\nGrade=" + std::to_string(static_cast<int>(notes.deal.DealGrade)) +
           "\nDayGame=" + std::to_string(notes.deal.DayGame) +
           "\nHints=" + std::to_string(notes.Hints) + "\nChecks=" + std::to_string(notes.Checks) +
           "\n";
}

KeptGameNotes ParseKeptGameNotes(std::string_view text) {
    KeptGameNotes notes;
    while (!text.empty()) {
        const std::string_view line = TakeLine(text);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "Deal") {
            notes.deal.Number =
                static_cast<uint32_t>(numberIn(value, 0, kMaxDealNumber).value_or(0));
        } else if (key == "Grade") {
            notes.deal.DealGrade = static_cast<Grade>(numberIn(value, 0, 3).value_or(0));
        } else if (key == "DayGame") {
            notes.deal.DayGame = static_cast<int32_t>(numberIn(value, 0, INT32_MAX).value_or(0));
        } else if (key == "Hints") {
            notes.Hints = static_cast<int32_t>(numberIn(value, 0, INT32_MAX).value_or(0));
        } else if (key == "Checks") {
            notes.Checks = static_cast<int32_t>(numberIn(value, 0, INT32_MAX).value_or(0));
        }
    }
    if (notes.deal.Number == 0) {
        notes.deal = DealIdentity{}; // a grade or a day without a deal names nothing
    }
    return notes;
}

KeptGameFiles::KeptGameFiles(const std::string& folder)
    : folder_(folder), path_(inFolder(folder, kResumeFileName)),
      notesPath_(inFolder(folder, kResumeNotesFileName)),
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

KeptGameNotes KeptGameFiles::loadNotes() const {
    // Only a regular file, read without following a link or waiting on a
    // pipe; whatever goes wrong leaves the defaults.
    const int fd = ::open(notesPath_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    struct stat info = {};
    std::string text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::size_t>(info.st_size) <= kMaxNotesBytes) {
        text.resize(kMaxNotesBytes);
        const ssize_t got = ::read(fd, text.data(), text.size());
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    ::close(fd);
    return ParseKeptGameNotes(text);
}

void KeptGameFiles::write(const Game& game, const KeptGameNotes& notes) const {
    removeFile(notesPath_, kResumeNotesFileName);
    SaveGame(game, path_);
    const std::string action = "Kann " + QuotedFileName(kResumeNotesFileName) + " nicht schreiben";
    TemporarySibling temporary(notesPath_, action);
    WriteWholeFile(temporary.path(), KeptGameNotesText(notes), action);
    temporary.commit();
}

void KeptGameFiles::remove() const {
    removeFile(path_, kResumeFileName);
    removeFile(notesPath_, kResumeNotesFileName);
}

} // namespace kelmar
