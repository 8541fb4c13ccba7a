// kelmar_solver_census KIND [COUNT [BUDGET [FIRST [LAYOUT]]]]: runs one
// census (KIND newgame, random or played) on the built-in layout LAYOUT
// (short name; the pyramid when left out) and prints its summary with the
// nodes at p99 (which, unlike the times, do not depend on the machine's
// load), then every undecided seed and the ten slowest positions. With
// CENSUS_NODES set it also prints the nodes at several percentiles, with
// CENSUS_ALL one line "all INDEX MS NODES" per position, with CENSUS_COMPARE
// each position also judged under the earlier row rule (a band is one row).
#include "bench/solver/census.h"
#include "core/builtin_layouts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace kelmar::census;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s newgame|random|played [count [budget [first [layout]]]]\n",
                     argv[0]);
        return 2;
    }
    const std::string kindName = argv[1];
    const Kind kind = kindName == "random"   ? Kind::Random
                      : kindName == "played" ? Kind::Played
                                             : Kind::NewGame;
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int64_t budget = argc > 3 ? std::atoll(argv[3]) : 1'000'000;
    const int first = argc > 4 ? std::atoi(argv[4]) : 0;
    const kelmar::Layout* layout = &kelmar::PyramidLayout();
    for (const kelmar::Layout& l : kelmar::BuiltInLayouts()) {
        if (argc > 5 && l.ShortName == argv[5]) {
            layout = &l;
        }
    }
    std::printf("layout %s\n", layout->ShortName.c_str());
    Report r = Run(kind, first, count, budget, *layout, std::getenv("CENSUS_COMPARE") != nullptr);
    std::printf("%s\n", Summary(r).c_str());
    long long nodes = 0;
    long long worstNodes = 0;
    for (const Judged& j : r.judged) {
        nodes += j.nodes;
        worstNodes = std::max<long long>(worstNodes, j.nodes);
    }
    std::vector<double> byNodes;
    for (const Judged& j : r.judged) {
        byNodes.push_back(static_cast<double>(j.nodes));
    }
    const auto nodesAt = [&](size_t percent) {
        return static_cast<long long>(Percentile(byNodes, static_cast<double>(percent) / 100));
    };
    std::printf("nodes: total %lld, p99 %lld, most %lld\n", nodes, nodesAt(99), worstNodes);
    if (std::getenv("CENSUS_NODES") != nullptr) {
        for (size_t percent : {50, 80, 90, 95, 97, 98, 99}) {
            std::printf("  p%zu %lld\n", percent, nodesAt(percent));
        }
    }
    for (const Judged& j : r.judged) {
        if (j.result == kelmar::SolveResult::Undecided) {
            std::printf("undecided index %d seed %u: %.1f ms, %lld nodes, %lld learned\n", j.index,
                        j.seed, j.ms, static_cast<long long>(j.nodes),
                        static_cast<long long>(j.learned));
        }
    }
    if (std::getenv("CENSUS_ALL") != nullptr) {
        for (const Judged& j : r.judged) {
            std::printf("all %d %.3f %lld\n", j.index, j.ms, static_cast<long long>(j.nodes));
        }
    }
    std::sort(r.judged.begin(), r.judged.end(),
              [](const Judged& a, const Judged& b) { return a.ms > b.ms; });
    for (size_t i = 0; i < std::min<size_t>(10, r.judged.size()); ++i) {
        const Judged& j = r.judged[i];
        std::printf("slow index %d seed %u: %s %.1f ms, %lld nodes, %lld learned\n", j.index,
                    j.seed,
                    j.result == kelmar::SolveResult::Winnable     ? "W"
                    : j.result == kelmar::SolveResult::Unwinnable ? "U"
                                                                  : "?",
                    j.ms, static_cast<long long>(j.nodes), static_cast<long long>(j.learned));
    }
    return 0;
}
