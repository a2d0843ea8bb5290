// Time to depth: every benchmark position searched to its fixed depth by the engine's iterative
// deepening, the clock out of the way (the same run as the console's "bench"). The node total
// is fixed by the algorithm; the time is the figure to drive down.
//
//   search_bench            every position at its depth
//   search_bench -3         every depth lowered by three, never below 4 (the signature test
//                           of the search runs exactly this)
#include <cstdio>
#include <cstdlib>

#include "bench/bench_run.h"
#include "board/movetext.h"
#include "board/position.h"

namespace {

void printPosition(const SearchBenchPositionResult& r) {
    char move[6] = "-";
    if (r.result.bestMove != 0) moveToText(move, r.result.bestMove, *currentPosition);
    std::printf("%-20s %5d %7d %-6s %12llu %9.3f\n", r.position.name, r.result.depth, r.result.score, move,
                static_cast<unsigned long long>(r.result.nodes), r.seconds);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int depthChange = argc > 1 ? std::atoi(argv[1]) : 0;
    std::printf("%-20s %5s %7s %-6s %12s %9s\n", "position", "depth", "score", "move", "nodes", "seconds");
    const SearchBenchTotals totals = runSearchBench(depthChange, printPosition);
    std::printf("total nodes %llu  seconds %.3f  nodes/s %.0f\n", static_cast<unsigned long long>(totals.nodes),
                totals.seconds, static_cast<double>(totals.nodes) / totals.seconds);
    return 0;
}
