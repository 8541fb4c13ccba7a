// kelmar_grade_census measure [COUNT [FIRST [LAYOUT]]]: on the built-in
// layout LAYOUT (short name; default Pyramide, "all" for each in turn,
// "others" for all but the pyramid),
// deals the numbers FIRST+1 .. FIRST+COUNT with "Unlösbare Spiele
// verhindern" on and no difficulty,
// measures each, and prints the deciles of the measure with the bands that
// split the deals into thirds, beside the share of each grade under the
// bands the game uses. With "all" it ends with the one scale: the thirds of
// every layout's measures together, and each layout's median grade.
//
// kelmar_grade_census check [COUNT [FIRST [LAYOUT]]]: deals COUNT numbers
// per grade and lets a more careful player than the measure's play each
// once: at every step it takes the free matching pair that frees the most
// tiles (ties by a fixed generator). Prints the share of deals it clears
// per grade; the bands mean something when easy > medium > hard.
//
// kelmar_grade_census latency [COUNT [FIRST [LAYOUT]]]: deals COUNT numbers
// per difficulty (Any with the option on, Easy, Medium, Hard) and prints
// the median, p99 and worst time of NewNumberedGame (CPU time of this
// thread, so other programs on the machine do not count), the most draws
// it took and how many deals missed their grade.
#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/grade.h"
#include "core/numbered_deal.h"
#include "core/rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kelmar;

double Percentile(std::vector<double> v, double q) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(rank, v.size() - 1)];
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The measures of the numbers first+1 .. first+count, sorted.
std::vector<int> Measure(const Layout& layout, int count, uint32_t first) {
    std::vector<int> cleared;
    std::array<int, 4> byGrade{};
    long long wins = 0;
    int anyWin = 0;
    const GradeBands used = kDifficultyBands;
    Game game;
    game.layout = &layout;
    game.settings.AvoidUnsolveableGames = true;
    for (int i = 0; i < count; ++i) {
        const NumberedDeal d =
            NewNumberedGame(game, first + static_cast<uint32_t>(i) + 1, Grade::Any);
        cleared.push_back(d.measure.cleared);
        ++byGrade[static_cast<size_t>(d.grade)];
        wins += d.measure.wins;
        anyWin += d.measure.wins > 0 ? 1 : 0;
    }
    std::sort(cleared.begin(), cleared.end());
    std::printf("%s: share cleared by %d random playouts (per mille) over %d numbered deals:\n",
                layout.ShortName.c_str(), kGradePlayouts, count);
    for (int q = 0; q <= 10; ++q) {
        const size_t at =
            std::min(cleared.size() - 1, static_cast<size_t>(q) * cleared.size() / 10);
        std::printf("  %3d %%: %d\n", q * 10, cleared[at]);
    }
    // Thirds: hard up to the value at one third, easy from the value at two.
    const int hardMax = cleared[cleared.size() / 3 - 1];
    const int easyMin = cleared[cleared.size() * 2 / 3];
    const auto hardShare =
        std::upper_bound(cleared.begin(), cleared.end(), hardMax) - cleared.begin();
    const auto easyShare =
        cleared.end() - std::lower_bound(cleared.begin(), cleared.end(), easyMin);
    std::printf("thirds: hard <= %d, easy >= %d: easy %.1f %%, medium %.1f %%, hard %.1f %%\n",
                hardMax, easyMin, 100.0 * static_cast<double>(easyShare) / count,
                100.0 * static_cast<double>(count - easyShare - hardShare) / count,
                100.0 * static_cast<double>(hardShare) / count);
    std::printf("playouts won: %.2f %% of all; deals with a won playout %.1f %%\n",
                100.0 * static_cast<double>(wins) / (static_cast<double>(count) * kGradePlayouts),
                100.0 * anyWin / count);
    std::printf(
        "bands in use: hard <= %d, easy >= %d: easy %.1f %%, medium %.1f %%, hard %.1f %%\n",
        used.hardMax, used.easyMin, 100.0 * byGrade[1] / count, 100.0 * byGrade[2] / count,
        100.0 * byGrade[3] / count);
    return cleared;
}

// One scale for every layout: the thirds of all layouts' measures together,
// each layout weighing the same, and each layout's median under them.
void Scale(const std::vector<std::pair<std::string, std::vector<int>>>& all) {
    std::vector<int> pooled;
    for (const auto& [name, cleared] : all) {
        pooled.insert(pooled.end(), cleared.begin(), cleared.end());
    }
    std::sort(pooled.begin(), pooled.end());
    if (pooled.size() < 3) {
        return;
    }
    const GradeBands bands{pooled[pooled.size() * 2 / 3], pooled[pooled.size() / 3 - 1]};
    std::printf("one scale over all layouts: hard <= %d, easy >= %d\n", bands.hardMax,
                bands.easyMin);
    for (const auto& [name, cleared] : all) {
        std::array<int, 4> byGrade{};
        for (int c : cleared) {
            ++byGrade[static_cast<size_t>(GradeOf(c, bands))];
        }
        const double n = static_cast<double>(cleared.size());
        const int median = cleared[cleared.size() / 2];
        std::printf("  %-9s median %d (%s): easy %.1f %%, medium %.1f %%, hard %.1f %%\n",
                    name.c_str(), median, std::string(GradeWord(GradeOf(median, bands))).c_str(),
                    100.0 * byGrade[1] / n, 100.0 * byGrade[2] / n, 100.0 * byGrade[3] / n);
    }
}

// The careful player: true when it clears the board.
bool CarefulPlay(Game& game, uint32_t seed) {
    auto scratch = std::make_unique<Game>();
    scratch->layout = game.layout;
    scratch->board = game.board;
    PrepareBoardGeometry(*scratch);
    AnalyzeBoard(game);
    while (!game.play.NoMovesLeft) {
        const auto pairs = FreeMatchingPairs(game);
        int best = -1;
        std::pair<int32_t, int32_t> chosen{0, 0};
        for (const auto& pair : pairs) {
            scratch->board = game.board;
            RemoveTile(scratch->board, pair.first);
            RemoveTile(scratch->board, pair.second);
            AnalyzeBoard(*scratch);
            seed = seed * 134775813U + 1U;
            const int score = scratch->play.FreeCount * 16 + static_cast<int>(seed >> 28);
            if (score > best) {
                best = score;
                chosen = pair;
            }
        }
        RemoveTile(game.board, chosen.first);
        RemoveTile(game.board, chosen.second);
        AnalyzeBoard(game);
    }
    return game.play.GameWon;
}

void Check(const Layout& layout, int count, uint32_t first) {
    const std::array<Grade, 3> grades = {Grade::Easy, Grade::Medium, Grade::Hard};
    const char* const names[] = {"easy", "medium", "hard"};
    for (size_t g = 0; g < grades.size(); ++g) {
        int won = 0;
        for (int i = 0; i < count; ++i) {
            auto game = std::make_unique<Game>();
            game->layout = &layout;
            const auto number = first + static_cast<uint32_t>(i) + 1;
            NewNumberedGame(*game, number, grades[g]);
            won += CarefulPlay(*game, number) ? 1 : 0;
        }
        std::printf("%-9s %-6s %d deals: the careful player clears %.1f %%\n",
                    layout.ShortName.c_str(), names[g], count, 100.0 * won / count);
    }
}

void Latency(const Layout& layout, int count, uint32_t first) {
    const std::array<Grade, 4> grades = {Grade::Any, Grade::Easy, Grade::Medium, Grade::Hard};
    const char* const names[] = {"any", "easy", "medium", "hard"};
    for (size_t g = 0; g < grades.size(); ++g) {
        Game game;
        game.layout = &layout;
        game.settings.AvoidUnsolveableGames = true;
        std::vector<double> ms;
        int missed = 0;
        int mostDraws = 0;
        long long draws = 0;
        for (int i = 0; i < count; ++i) {
            const double start = ThreadCpuMs();
            const NumberedDeal d =
                NewNumberedGame(game, first + static_cast<uint32_t>(i) + 1, grades[g]);
            ms.push_back(ThreadCpuMs() - start);
            missed += d.fits ? 0 : 1;
            mostDraws = std::max(mostDraws, d.draws);
            draws += d.draws;
        }
        std::printf("%-9s %-6s %d deals: median %.2f ms, p99 %.1f ms, worst %.1f ms; draws mean "
                    "%.2f, most %d; missed grade %d\n",
                    layout.ShortName.c_str(), names[g], count, Percentile(ms, 0.5),
                    Percentile(ms, 0.99), Percentile(ms, 1.0), static_cast<double>(draws) / count,
                    mostDraws, missed);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "measure";
    const int count = argc > 2 ? std::atoi(argv[2]) : (what == "latency" ? 3000 : 10000);
    const auto first = static_cast<uint32_t>(argc > 3 ? std::atoll(argv[3]) : 0);
    const std::string layoutName = argc > 4 ? argv[4] : "Pyramide";
    std::vector<std::pair<std::string, std::vector<int>>> measured;
    for (const Layout& layout : BuiltInLayouts()) {
        const bool all =
            layoutName == "all" || (layoutName == "others" && &layout != &BuiltInLayouts().front());
        if (!all && layout.ShortName != layoutName) {
            continue;
        }
        if (what == "latency") {
            Latency(layout, count, first);
        } else if (what == "check") {
            Check(layout, count, first);
        } else {
            measured.emplace_back(layout.ShortName, Measure(layout, count, first));
        }
        std::fflush(stdout);
    }
    if (layoutName == "all" && measured.size() > 1) {
        Scale(measured);
    }
    return 0;
}
