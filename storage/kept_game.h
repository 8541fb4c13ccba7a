// The files of the game kept for the next start: the kept copy (a saved
// game), the names a copy that cannot be read is set aside under, and the
// lock that makes one running copy of the game its owner. Only file work;
// when to write or remove the copy is decided elsewhere.
#pragma once

#include "core/game.h"
#include "storage/file_lock.h"

#include <cstdint>
#include <string>
#include <string_view>

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
// The kept copy's side record, beside it.
constexpr const char* kResumeNotesFileName = "Fortsetzung.txt";

// What the saved-game format does not hold about the kept game, kept in its
// side record: the deal as the player knows it, and the hints and checks
// the game had. The record is text, one "Key=Value" line each, in this
// order (CR LF or LF line ends read alike):
//
//   Deal=482913      the deal's number, 1..999999999; 0 or missing: none
//   Grade=2          its grade by Grade code, 0..3
//   DayGame=46364    the day of a game of the day as a day count; 0: none
//   Hints=0          hints given in the game, 0 and up
//   Checks=0         checks answered in the game, 0 and up
//
// Unknown keys are ignored; a missing or bad value reads as its default, a
// bad Deal= as no number at all. The record can never stop the kept game
// from loading: without it the game continues without a number.
struct KeptGameNotes {
    DealIdentity deal;
    int32_t Hints = 0;
    int32_t Checks = 0;
    friend bool operator==(const KeptGameNotes&, const KeptGameNotes&) = default;
};

// The record's text (LF line ends).
std::string KeptGameNotesText(const KeptGameNotes& notes);
// The notes a record's text holds; see KeptGameNotes for what is read how.
KeptGameNotes ParseKeptGameNotes(std::string_view text);

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
    // The side record of the copy; defaults when it is missing or cannot
    // be read. Never throws.
    KeptGameNotes loadNotes() const;
    // Writes `game` as the kept copy (SaveGame) and `notes` as its side
    // record, each atomically; safe on a worker thread while nothing else
    // writes them. The old record goes first, so a copy never comes back
    // with the notes of another game: a failed write leaves a copy without
    // notes at worst. Throws IoError.
    void write(const Game& game, const KeptGameNotes& notes) const;
    // Removes the kept copy and its side record; missing ones are no
    // error. Throws IoError.
    void remove() const;

    // The name the `n`th copy set aside gets (n from 1).
    static std::string DamagedName(int n);
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    std::string notesPath_;
    std::string lockPath_;
    FileLock lock_;
    int lockError_ = 0;
};

} // namespace kelmar
