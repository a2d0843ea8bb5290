// Time to depth with several lines: the start position searched to depth 9 (or the depth given)
// with MultiPV 1, 3 and 5, each run three times, interleaved; prints the nodes and the best of
// the seconds for each.
//
//   multipv_bench [depth]
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "board/fen.h"
#include "search/driver.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

void silent(const Iteration&) {}

struct Run {
    std::uint64_t nodes;
    double seconds;
};

Run searchWithLines(int lines, int depth) {
    engineSettings.multiPv = lines;
    setStartPosition();
    gameState.searchStartTime = clockMs();
    const auto start = std::chrono::steady_clock::now();
    const DeepeningResult result = deepen(depth, silent);
    return {result.nodes, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
}

}  // namespace

int main(int argc, char** argv) {
    const int depth = argc > 1 ? std::atoi(argv[1]) : 9;
    engineSettings.postThinking = 0;
    engineSettings.moveTime = INT_MAX;
    timeControl.allocatedTime = INT_MAX;
    constexpr int LINES[] = {1, 3, 5};
    Run best[3] = {{0, 1e9}, {0, 1e9}, {0, 1e9}};
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 3; ++i) {
            const Run run = searchWithLines(LINES[i], depth);
            best[i].nodes = run.nodes;
            best[i].seconds = std::min(best[i].seconds, run.seconds);
        }
    std::printf("start position, depth %d, best of 3\n%-8s %12s %9s %8s\n", depth, "MultiPV", "nodes", "seconds", "x MPV 1");
    for (int i = 0; i < 3; ++i)
        std::printf("%-8d %12llu %9.3f %8.2f\n", LINES[i], static_cast<unsigned long long>(best[i].nodes), best[i].seconds,
                    best[i].seconds / best[0].seconds);
    return 0;
}
