// The learned conflicts must refute a choice exactly when it completes a
// recorded conflict, whatever order pairings are chosen and taken back in
// (last chosen, first taken back, as the search does). A conflict passed
// over because another of its classes has a different pairing must still
// be found once that pairing is taken back and its own chosen.
#include "core/solver/conflicts.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace kelmar::solver {
namespace {

constexpr int kClasses = 6;

struct Recorded {
    TileSet classes;
    std::vector<int8_t> choice;
};

// Plain check: some recorded conflict with class c holds in full.
bool CompletedBy(int c, const std::vector<Recorded>& recorded, const std::vector<int8_t>& choice) {
    for (const Recorded& r : recorded) {
        if (!r.classes.has(c)) {
            continue;
        }
        bool all = true;
        forEachTile(r.classes, [&](int k) { all = all && choice[k] == r.choice[k]; });
        if (all) {
            return true;
        }
    }
    return false;
}

struct Step {
    int cls;   // -1: take back the last choice
    int value; // the pairing chosen
    bool refuted;
};

struct Scenario {
    const char* name;
    std::vector<std::vector<std::pair<int, int>>> conflicts; // (class, pairing)
    std::vector<Step> steps;
};

class ConflictsScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(ConflictsScenario, RefutesExactlyTheCompletingChoices) {
    const Scenario& s = GetParam();
    for (bool passOver : {false, true}) {
        SCOPED_TRACE(passOver ? "passing over" : "reading every conflict");
        Conflicts conflicts;
        conflicts.reset(kClasses);
        conflicts.passOverBroken(passOver);
        std::vector<int8_t> choice(kClasses, -1);
        std::vector<size_t> chosenAt(kClasses, 0);
        for (const auto& conflict : s.conflicts) {
            TileSet classes;
            size_t when = 0;
            for (auto [c, v] : conflict) {
                classes.set(c);
                choice[static_cast<size_t>(c)] = static_cast<int8_t>(v);
                chosenAt[static_cast<size_t>(c)] = ++when;
            }
            ASSERT_TRUE(conflicts.record(classes, choice, chosenAt));
            choice.assign(kClasses, -1);
        }
        std::vector<int> stack;
        for (size_t k = 0; k < s.steps.size(); ++k) {
            const Step& step = s.steps[k];
            if (step.cls < 0) {
                choice[static_cast<size_t>(stack.back())] = -1;
                stack.pop_back();
                continue;
            }
            choice[static_cast<size_t>(step.cls)] = static_cast<int8_t>(step.value);
            stack.push_back(step.cls);
            TileSet why;
            EXPECT_EQ(conflicts.refuted(step.cls, choice, why), step.refuted)
                << s.name << " step " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConflictsScenario,
    ::testing::Values(
        Scenario{"one class alone", {{{2, 1}}}, {{2, 0, false}, {-1, 0, false}, {2, 1, true}}},
        Scenario{"completed by its last class only",
                 {{{0, 0}, {1, 0}, {2, 0}}},
                 {{0, 0, false}, {1, 0, false}, {2, 0, true}}},
        // Class 1 holds another pairing when 0 and 2 are chosen; the
        // conflict is passed over, then completed once 1 is chosen again.
        Scenario{"passed over, then completed after taking back",
                 {{{0, 0}, {1, 0}, {2, 0}}},
                 {{1, 2, false},
                  {0, 0, false},
                  {2, 0, false},
                  {-1, 0, false},
                  {-1, 0, false},
                  {-1, 0, false},
                  {2, 0, false},
                  {0, 0, false},
                  {1, 0, true}}},
        Scenario{"taken back below the blocker",
                 {{{3, 1}, {4, 1}}},
                 {{4, 0, false},
                  {3, 1, false},
                  {-1, 0, false},
                  {-1, 0, false},
                  {3, 1, false},
                  {4, 1, true}}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// Random walks of choices and take-backs against the plain check, with
// conflicts recorded on the way as the search does (from the current
// pairings, then the last choice is taken back). Passing over broken
// conflicts is off, on, or switched on part way, as a search does between
// two dives.
TEST(Conflicts, AgreeWithThePlainCheckOnRandomWalks) {
    size_t unitsSeen = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        Conflicts conflicts;
        conflicts.reset(kClasses);
        const int switchAt = seed % 3 == 0   ? 1000
                             : seed % 3 == 1 ? 0
                                             : static_cast<int>(rng() % 300);
        std::vector<Recorded> recorded;
        std::vector<int8_t> choice(kClasses, -1);
        std::vector<size_t> chosenAt(kClasses, 0);
        std::vector<int> stack;
        size_t clock = 0;
        for (int step = 0; step < 300; ++step) {
            if (step == switchAt) {
                conflicts.passOverBroken(true);
            }
            const bool back = !stack.empty() && (stack.size() == kClasses || rng() % 3 == 0);
            if (back) {
                choice[static_cast<size_t>(stack.back())] = -1;
                stack.pop_back();
                continue;
            }
            int c = 0;
            do {
                c = static_cast<int>(rng() % kClasses);
            } while (choice[static_cast<size_t>(c)] >= 0);
            choice[static_cast<size_t>(c)] = static_cast<int8_t>(rng() % 3);
            chosenAt[static_cast<size_t>(c)] = ++clock;
            stack.push_back(c);
            TileSet why;
            std::vector<Conflicts::Unit> units;
            const bool refuted =
                conflicts.refuted(c, choice, why, seed % 2 == 0 ? &units : nullptr);
            ASSERT_EQ(refuted, CompletedBy(c, recorded, choice))
                << "seed " << seed << " step " << step;
            // Each conflict reported one short is: its other pairings all
            // hold, the missing one's class is open.
            unitsSeen += units.size();
            for (const Conflicts::Unit& u : units) {
                ASSERT_LT(u.id, recorded.size());
                const Recorded& r = recorded[u.id];
                const int missing = u.code / 3;
                EXPECT_EQ(conflicts.classesOf(u.id), r.classes);
                EXPECT_TRUE(r.classes.has(c) && r.classes.has(missing) && missing != c);
                EXPECT_EQ(choice[static_cast<size_t>(missing)], -1);
                EXPECT_EQ(r.choice[static_cast<size_t>(missing)], u.code % 3);
                forEachTile(r.classes, [&](int k) {
                    if (k != missing) {
                        EXPECT_EQ(choice[static_cast<size_t>(k)], r.choice[static_cast<size_t>(k)])
                            << "seed " << seed << " step " << step;
                    }
                });
            }
            if (refuted) {
                EXPECT_TRUE(why.has(c));
                forEachTile(why, [&](int k) { EXPECT_GE(choice[static_cast<size_t>(k)], 0); });
            } else if (rng() % 4 == 0) {
                TileSet classes;
                for (int k : stack) {
                    if (k == c || rng() % 2 == 0) {
                        classes.set(k);
                    }
                }
                if (conflicts.record(classes, choice, chosenAt)) {
                    recorded.push_back({classes, choice});
                }
            } else {
                continue;
            }
            // A refuted choice, or one just learned to be lost, is taken back.
            choice[static_cast<size_t>(c)] = -1;
            stack.pop_back();
        }
    }
    EXPECT_GT(unitsSeen, 100U);
}

} // namespace
} // namespace kelmar::solver
