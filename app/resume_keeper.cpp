#include "app/resume_keeper.h"

#include "core/board.h"
#include "core/tick_source.h"
#include "storage/saved_game.h"
#include "storage/storage_error.h"

#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelmar {

bool FolderLock::acquire(const std::string& path) {
    if (fd_ >= 0) {
        return true;
    }
    // No link is followed and nothing but a regular file is locked: the
    // name must not make us create or hold a file somewhere else.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        return false;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void FolderLock::release() {
    if (fd_ >= 0) {
        ::close(fd_); // drops the flock
        fd_ = -1;
    }
}

ResumeKeeper::ResumeKeeper(Game& game, TickSource& ticks, std::function<void()> catchUpClock,
                           QObject* parent)
    : QObject(parent), game_(game), ticks_(ticks), catchUpClock_(std::move(catchUpClock)),
      snapshot_(std::make_unique<Game>()) {
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
        lock_.acquire(kResumeLockFileName);
    }
    struct stat info = {};
    const bool exists = ::lstat(kResumeFileName, &info) == 0;
    if (StepAtStart(game_.settings.ResumeGame, lock_.held(), exists) != StartStep::Continue) {
        return result;
    }
    // A load keeps the match rule of the board it replaces, and at start no
    // game has been dealt yet to fill it in.
    FillMatchRange(game_.board);
    try {
        LoadGame(game_, kResumeFileName);
    } catch (const StorageError& error) {
        // Kept under another name, so that the next start does not complain
        // again and nothing of it is lost.
        result.warning =
            std::string("Das letzte Spiel konnte nicht fortgesetzt werden.\n") + error.what();
        if (::rename(kResumeFileName, kDamagedResumeFileName) == 0) {
            result.warning +=
                "\nDie Datei heißt jetzt " + QuotedFileName(kDamagedResumeFileName) + ".";
        } else {
            result.warning += "\nKann sie nicht in " + QuotedFileName(kDamagedResumeFileName) +
                              " umbenennen: " + GermanErrorText(errno) + ".";
        }
        return result;
    }
    onDisk_ = true;
    written_ = GameSignature(game_);
    result.continued = true;
    return result;
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
        carryOut(StepAfterCommand(ResumeFactsOf(game_, lock_.held()), keptCopy()));
    }
}

void ResumeKeeper::optionChanged() {
    if (game_.settings.ResumeGame) {
        lock_.acquire(kResumeLockFileName);
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
    written_ = GameSignature(game_);
    onDisk_ = true;
    lastWriteTick_ = ticks_.now();
    const Game* copy = snapshot_.get();
    inFlight_ = true;
    writer_.setFuture(QtConcurrent::run([copy] {
        try {
            SaveGame(*copy, kResumeFileName);
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
    SaveGame(game_, kResumeFileName);
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
    if (::unlink(kResumeFileName) != 0 && errno != ENOENT) {
        throw IoError("Kann " + QuotedFileName(kResumeFileName) +
                      " nicht entfernen: " + GermanErrorText(errno) + ".");
    }
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
        const KeepStep step = StepAtClose(ResumeFactsOf(game_, lock_.held()), keptCopy());
        if (step == KeepStep::Write) {
            writeNow();
        } else if (step == KeepStep::Remove) {
            remove();
        }
    } catch (...) {
        lock_.release();
        throw;
    }
    lock_.release();
}

} // namespace kelmar
