#include "app/resume_keeper.h"

#include "core/board.h"
#include "core/tick_source.h"
#include "storage/storage_error.h"

#include <QtConcurrent/QtConcurrentRun>

namespace kelmar {

ResumeKeeper::ResumeKeeper(Game& game, TickSource& ticks, std::function<void()> catchUpClock,
                           std::function<KeptGameNotes()> notes, QObject* parent)
    : QObject(parent), game_(game), ticks_(ticks), catchUpClock_(std::move(catchUpClock)),
      notes_(std::move(notes)), snapshot_(std::make_unique<Game>()) {
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, &ResumeKeeper::writeDue);
    connect(&writer_, &QFutureWatcher<bool>::finished, this, &ResumeKeeper::writeFinished);
}

ResumeKeeper::~ResumeKeeper() {
    waitForWrites();
}

ResumeKeeper::StartResult ResumeKeeper::start() {
    StartResult result;
    if (game_.settings.ResumeGame) {
        result.warning = files_.lock();
    }
    if (StepAtStart(game_.settings.ResumeGame, files_.locked(), files_.exists()) !=
        StartStep::Continue) {
        return result;
    }
    // A load keeps the match rule of the board it replaces, and at start no
    // game has been dealt yet to fill it in.
    FillMatchRange(game_.board);
    result.warning = files_.load(game_);
    if (!result.warning.empty()) {
        return result;
    }
    onDisk_ = true;
    written_ = GameSignature(game_);
    result.continued = true;
    result.notes = files_.loadNotes();
    return result;
}

KeptGameNotes ResumeKeeper::notes() const {
    if (notes_) {
        return notes_();
    }
    KeptGameNotes notes;
    notes.deal = game_.deal;
    return notes;
}

KeptCopy ResumeKeeper::keptCopy() {
    KeptCopy copy;
    copy.onDisk = onDisk_;
    copy.current = written_ && *written_ == GameSignature(game_);
    if (lastWriteTick_) {
        copy.msSinceWrite = ticks_.now() - *lastWriteTick_;
    }
    return copy;
}

void ResumeKeeper::afterCommand() {
    if (!closed_) {
        carryOut(StepAfterCommand(ResumeFactsOf(game_, files_.locked()), keptCopy()));
    }
}

void ResumeKeeper::optionChanged() {
    if (game_.settings.ResumeGame) {
        files_.lock();
    }
    afterCommand();
}

void ResumeKeeper::carryOut(KeepStep step) {
    switch (step) {
    case KeepStep::Nothing:
        break;
    case KeepStep::Write:
        writeInBackground();
        break;
    case KeepStep::WriteLater:
        if (!due_.isActive()) {
            const uint32_t since = ticks_.now() - lastWriteTick_.value_or(ticks_.now());
            due_.start(static_cast<int>(
                since < kResumeWriteIntervalMs ? kResumeWriteIntervalMs - since : 0));
        }
        break;
    case KeepStep::Remove:
        remove();
        break;
    }
}

// The copy is taken here, on the user-interface thread, after the command
// has drawn the board; the worker only encodes and writes it. One write at a
// time, each of a later copy than the one before, so the file never goes
// back to an older game.
void ResumeKeeper::writeInBackground() {
    if (writer_.isRunning()) {
        pending_ = true;
        return;
    }
    waitForWrites(); // takes the result of a write whose end is not yet reported
    if (catchUpClock_) {
        catchUpClock_();
    }
    *snapshot_ = game_;
    snapshot_->view = nullptr;
    snapshotNotes_ = notes();
    written_ = GameSignature(game_);
    onDisk_ = true;
    lastWriteTick_ = ticks_.now();
    const Game* copy = snapshot_.get();
    const KeptGameNotes* notes = &snapshotNotes_;
    const KeptGameFiles* files = &files_;
    inFlight_ = true;
    writer_.setFuture(QtConcurrent::run([copy, notes, files] {
        try {
            files->write(*copy, *notes);
            return true;
        } catch (...) {
            return false;
        }
    }));
}

void ResumeKeeper::waitForWrites() {
    if (!inFlight_) {
        return;
    }
    writer_.waitForFinished();
    inFlight_ = false;
    if (!writer_.result()) {
        written_.reset(); // the next change or the close writes again
    }
}

void ResumeKeeper::writeFinished() {
    waitForWrites(); // takes the result
    if (pending_ && !closed_) {
        pending_ = false;
        try {
            afterCommand();
        } catch (const StorageError&) {
            // Only a removal throws, and removals run in commands.
        }
    }
}

void ResumeKeeper::writeDue() {
    try {
        afterCommand();
    } catch (const StorageError&) {
    }
}

void ResumeKeeper::writeNow() {
    if (catchUpClock_) {
        catchUpClock_();
    }
    files_.write(game_, notes());
    written_ = GameSignature(game_);
    onDisk_ = true;
    lastWriteTick_ = ticks_.now();
}

void ResumeKeeper::remove() {
    waitForWrites();
    due_.stop();
    pending_ = false;
    onDisk_ = false;
    written_.reset();
    files_.remove();
}

void ResumeKeeper::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    due_.stop();
    waitForWrites();
    pending_ = false;
    try {
        const ResumeFacts facts = ResumeFactsOf(game_, files_.locked());
        const KeepStep step = StepAtClose(facts, keptCopy());
        if (step == KeepStep::Write) {
            writeNow();
        } else if (step == KeepStep::Remove) {
            remove();
        } else if (facts.optionOn && !facts.lockHeld && WorthKeeping(facts)) {
            throw IoError("Dieses Spiel wird nicht aufbewahrt: " + files_.notKeptReason() + ".");
        }
    } catch (...) {
        files_.unlock();
        throw;
    }
    files_.unlock();
}

} // namespace kelmar
