// The files of the game kept for the next start: the kept copy (a saved
// game), the names a copy that cannot be read is set aside under, and the
// lock that makes one running copy of the game its owner. Only file work;
// when to write or remove the copy is decided elsewhere.
#pragma once

#include "core/game.h"
#include "storage/file_lock.h"

#include <string>

namespace kelmar {

constexpr const char* kResumeFileName = "Fortsetzung.klmr";
// The first name a copy that cannot be read is set aside under; later ones
// get "-2", "-3", ... after it, so an older one is never replaced.
constexpr const char* kDamagedResumeFileName = "Fortsetzung.klmr.defekt";
// Held (flock) by the one running copy of the game that keeps the game of
// this folder; empty, never removed.
constexpr const char* kResumeLockFileName = ".Fortsetzung.klmr.lock";
// Set-aside names tried before giving up.
constexpr int kMaxDamagedResumeFiles = 999;

class KeptGameFiles {
public:
    // The files in `folder` (the working directory by default).
    explicit KeptGameFiles(const std::string& folder = ".");

    // Takes the lock, trying once. Returns an empty text when it is held
    // now, else the German message for the start: the last game cannot be
    // continued, and why (another window keeps it, or the lock file cannot
    // be used, named).
    std::string lock();
    void unlock() { lock_.release(); }
    bool locked() const { return lock_.held(); }
    // The German reason a game is not kept at close when the lock is not
    // held (empty while it is).
    std::string notKeptReason() const;

    // Whether a kept copy (or anything else) lies under its name.
    bool exists() const;
    // Reads the kept copy into `game`. A copy that cannot be read leaves
    // the game as it was and is set aside under the first free damaged
    // name; the German warning then says so. Empty text when it was read.
    std::string load(Game& game);
    // Writes `game` as the kept copy (SaveGame; safe on a worker thread
    // while nothing else writes it). Throws IoError.
    void write(const Game& game) const;
    // Removes the kept copy; a missing one is no error. Throws IoError.
    void remove() const;

    // The name the `n`th copy set aside gets (n from 1).
    static std::string DamagedName(int n);
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    std::string lockPath_;
    FileLock lock_;
    int lockError_ = 0;
};

} // namespace kelmar
