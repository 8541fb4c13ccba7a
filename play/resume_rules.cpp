#include "play/resume_rules.h"

namespace kelmar {

ResumeFacts ResumeFactsOf(const Game& game, bool lockHeld) {
    return {game.settings.ResumeGame, lockHeld, game.board.DealtCount > 0, game.history.Length,
            game.play.GameWon};
}

bool WorthKeeping(const ResumeFacts& facts) {
    return facts.dealt && facts.moves > 0 && !facts.won;
}

namespace {

KeepStep step(const ResumeFacts& facts, const KeptCopy& copy, bool closing) {
    if (!facts.lockHeld) {
        return KeepStep::Nothing;
    }
    if (!facts.optionOn || !WorthKeeping(facts)) {
        return copy.onDisk ? KeepStep::Remove : KeepStep::Nothing;
    }
    // The close writes also an unchanged game: its clock has moved on.
    if (!closing && copy.onDisk && copy.current) {
        return KeepStep::Nothing;
    }
    if (closing || !copy.onDisk || !copy.msSinceWrite ||
        *copy.msSinceWrite >= kResumeWriteIntervalMs) {
        return KeepStep::Write;
    }
    return KeepStep::WriteLater;
}

// FNV-1a, 64 bits.
class Hash {
public:
    void add(uint32_t value) {
        for (int byte = 0; byte < 4; ++byte) {
            state_ ^= (value >> (8 * byte)) & 0xFFu;
            state_ *= 0x100000001B3ull;
        }
    }
    uint64_t value() const { return state_; }

private:
    uint64_t state_ = 0xCBF29CE484222325ull;
};

} // namespace

KeepStep StepAfterCommand(const ResumeFacts& facts, const KeptCopy& copy) {
    return step(facts, copy, false);
}

KeepStep StepAtClose(const ResumeFacts& facts, const KeptCopy& copy) {
    return step(facts, copy, true);
}

StartStep StepAtStart(bool optionOn, bool lockHeld, bool copyExists) {
    return optionOn && lockHeld && copyExists ? StartStep::Continue : StartStep::DealNew;
}

uint64_t GameSignature(const Game& game) {
    Hash hash;
    const Board& board = game.board;
    const int32_t slots = board.DealtCount < kSlotCapacity ? board.DealtCount : kSlotCapacity - 1;
    hash.add(static_cast<uint32_t>(slots));
    for (int32_t slot = 1; slot <= slots; ++slot) {
        const TileSlot& tile = board.Slots[static_cast<std::size_t>(slot)];
        hash.add((tile.Present ? 1u : 0u) | (uint32_t{tile.Kind} << 1) |
                 (uint32_t{tile.Layer} << 8));
        hash.add(static_cast<uint32_t>(tile.X) | (static_cast<uint32_t>(tile.Y) << 16));
    }
    const MoveHistory& history = game.history;
    const int32_t length = history.Length < kHistoryCapacity ? history.Length : kHistoryCapacity;
    hash.add(static_cast<uint32_t>(length));
    hash.add(static_cast<uint32_t>(history.Position));
    for (int32_t move = 1; move <= length; ++move) {
        const MoveRecord& record = history.Records[static_cast<std::size_t>(move)];
        hash.add(static_cast<uint32_t>(record.First) |
                 (static_cast<uint32_t>(record.Second) << 16));
    }
    hash.add(game.play.GameWon ? 1u : 0u);
    return hash.value();
}

} // namespace kelmar
