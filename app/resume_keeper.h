// Keeps a game in progress across the end of the program: continues the kept
// copy at start, rewrites it in the background while the game runs (at most
// every kResumeWriteIntervalMs, never on the paint path), writes it once more
// or removes it at close. The rules are resume_rules.h and the file work
// storage/kept_game.h; this class only keeps the timing. Lives on the
// user-interface thread.
#pragma once

#include "play/resume_rules.h"
#include "storage/kept_game.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelmar {

class TickSource;

class ResumeKeeper final : public QObject {
    Q_OBJECT
public:
    // `game` and `ticks` must outlive the keeper. `catchUpClock` brings the
    // game time to the present before a copy is taken; `notes` gives the
    // side record written with it (empty: the deal of `game`).
    ResumeKeeper(Game& game, TickSource& ticks, std::function<void()> catchUpClock,
                 std::function<KeptGameNotes()> notes = {}, QObject* parent = nullptr);
    // Waits for a write in flight; writes nothing more.
    ~ResumeKeeper() override;

    struct StartResult {
        bool continued = false;
        KeptGameNotes notes; // the continued copy's side record
        std::string warning; // German, to be shown once; empty when all went well
    };
    // At start, once the pictures are loaded and before a game is dealt.
    // With the option on it takes the lock; if it holds it and a kept copy
    // exists, that copy is loaded (the game is replaced, analysed and
    // rendered). A copy that cannot be read leaves the game as it was, is
    // set aside under a damaged name and gives a warning; so does a lock
    // that cannot be had.
    StartResult start();

    // After every command: writes, schedules or removes the copy as the
    // rules say. Throws IoError when a copy cannot be removed.
    void afterCommand();
    // The option was toggled: takes the lock when it came on (and nobody
    // else holds it), then as afterCommand (off: the copy is removed).
    void optionChanged();
    // At the end of the program: waits for a write in flight, then writes
    // the game as it is now or removes the copy; releases the lock. Once
    // only; later calls do nothing. Throws IoError, also when a game worth
    // keeping is not kept because the lock could not be had.
    void close();

    bool lockHeld() const { return files_.locked(); }
    // Blocks until the background write in flight (if any) has finished.
    void waitForWrites();

private Q_SLOTS:
    void writeDue();
    void writeFinished();

private:
    KeptCopy keptCopy();
    void carryOut(KeepStep step);
    void writeInBackground();
    void writeNow();
    void remove();
    KeptGameNotes notes() const;

    Game& game_;
    TickSource& ticks_;
    std::function<void()> catchUpClock_;
    std::function<KeptGameNotes()> notes_;
    KeptGameFiles files_;
    QTimer due_;
    QFutureWatcher<bool> writer_;
    // The copy a background write reads; filled only while no write runs.
    std::unique_ptr<Game> snapshot_;
    KeptGameNotes snapshotNotes_;
    bool onDisk_ = false;
    std::optional<uint64_t> written_; // signature of the game on disk
    std::optional<uint32_t> lastWriteTick_;
    bool inFlight_ = false; // a write was started and its result not yet taken
    bool pending_ = false;  // a write was due while one was running
    bool closed_ = false;
};

} // namespace kelmar
