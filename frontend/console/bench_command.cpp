#include "frontend/console/bench_command.h"

#include <cstdio>
#include <iterator>

#include "bench/bench_run.h"
#include "frontend/input/command_table.h"

namespace {

constexpr int MAX_DEPTH_REDUCTION = 20;  // the deepest position's depth; every depth is 4 by then

}  // namespace

void benchCommand(const std::string& line) {
    int reduction = 0;
    if (line.size() > 5 &&
        (readNumber(textFrom(line, 5), reduction) == 0 || reduction < 0 || reduction > MAX_DEPTH_REDUCTION)) {
        std::printf("Error: insert a depth reduction between 0 and %d\n", MAX_DEPTH_REDUCTION);
        return;
    }
    const int positions = static_cast<int>(std::size(SEARCH_BENCH_POSITIONS));
    if (reduction == 0)
        std::printf("bench: %d positions, each to its depth\n", positions);
    else
        std::printf("bench: %d positions, each to its depth less %d\n", positions, reduction);
    std::fflush(stdout);
    const SearchBenchTotals totals = runSearchBench(-reduction);
    const double rate = totals.seconds > 0 ? static_cast<double>(totals.nodes) / totals.seconds : 0.0;
    std::printf("bench: %llu nodes in %.3f s, %.0f nodes/s\n", static_cast<unsigned long long>(totals.nodes),
                totals.seconds, rate);
}
