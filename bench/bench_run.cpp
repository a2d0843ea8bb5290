#include "bench/bench_run.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "search/alphabeta.h"
#include "search/search_hooks.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// Everything a benchmark search changes besides the tables, taken when it starts and put back
// when it ends.
struct SavedState {
    std::vector<Position> game;  // records 0 .. top of the position stack
    EngineSettings settings;
    GameState state;
    TimeControl clocks;
    PvLine line;
    std::uint32_t nodes;
    void (*poll)();
    bool timeLimited;

    static SavedState take() {
        return {std::vector<Position>(positionStack, currentPosition + 1),
                engineSettings,
                gameState,
                timeControl,
                rootLine,
                nodeCount,
                searchPoll,
                searchTimeLimited};
    }
    void restore() const {
        std::copy(game.begin(), game.end(), positionStack);
        currentPosition = positionStack + (game.size() - 1);
        engineSettings = settings;
        gameState = state;
        timeControl = clocks;
        rootLine = line;
        nodeCount = nodes;
        searchPoll = poll;
        searchTimeLimited = timeLimited;
    }
};

void silent(const Iteration&) {}

}  // namespace

SearchBenchTotals runSearchBench(int depthChange, SearchBenchReport report) {
    using Clock = std::chrono::steady_clock;
    const SavedState saved = SavedState::take();
    engineSettings.postThinking = 0;
    engineSettings.moveTime = INT_MAX;
    timeControl.allocatedTime = INT_MAX;
    searchPoll = nullptr;  // nothing is read meanwhile
    searchTimeLimited = true;

    SearchBenchTotals totals{0, 0};
    for (const SearchBenchPosition& position : SEARCH_BENCH_POSITIONS) {
        setStartPosition();
        readFen(position.fen);  // the stored texts are valid
        const int depth = searchBenchDepth(position, depthChange);
        gameState.searchStartTime = clockMs();
        const auto start = Clock::now();
        const DeepeningResult result = deepen(depth, silent);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        totals.nodes += result.nodes;
        totals.seconds += seconds;
        if (report != nullptr) report({position, depth, result, seconds});
    }
    saved.restore();
    return totals;
}
