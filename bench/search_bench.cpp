// Time to depth: every benchmark position searched to its fixed depth by the engine's iterative
// deepening, the clock out of the way. The node total is fixed by the algorithm; the time is
// the figure to drive down.
//
//   search_bench            every position at its depth
//   search_bench -3         every depth lowered by three, never below 4 (the signature test
//                           of the search runs exactly this)
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "bench/search_positions.h"
#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"
#include "frontend/engine_state.h"
#include "search/driver.h"

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const int depthChange = argc > 1 ? std::atoi(argv[1]) : 0;
    engineSettings.postThinking = 0;
    engineSettings.logGame = 0;
    engineSettings.moveTime = INT_MAX;
    timeControl.allocatedTime = INT_MAX;

    std::uint64_t totalNodes = 0;
    double totalSeconds = 0;
    std::printf("%-20s %5s %7s %-6s %12s %9s\n", "position", "depth", "score", "move", "nodes", "seconds");
    for (const SearchBenchPosition& position : SEARCH_BENCH_POSITIONS) {
        setStartPosition();
        if (readFen(position.fen) != 1) {
            std::fprintf(stderr, "bad FEN: %s\n", position.fen);
            return 1;
        }
        const int depth = searchBenchDepth(position, depthChange);
        gameState.searchStartTime = clockMs();
        const auto start = Clock::now();
        const DeepeningResult result = deepen(depth);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        char move[6] = "-";
        if (result.bestMove != 0) moveToText(move, result.bestMove, *currentPosition);
        std::printf("%-20s %5d %7d %-6s %12llu %9.3f\n", position.name, result.depth, result.score, move,
                    static_cast<unsigned long long>(result.nodes), seconds);
        std::fflush(stdout);
        totalNodes += result.nodes;
        totalSeconds += seconds;
    }
    std::printf("total nodes %llu  seconds %.3f  nodes/s %.0f\n", static_cast<unsigned long long>(totalNodes),
                totalSeconds, static_cast<double>(totalNodes) / totalSeconds);
    return 0;
}
