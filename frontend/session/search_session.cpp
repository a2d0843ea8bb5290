#include "frontend/session/search_session.h"

#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/search_hooks.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

bool running = false;
Position* root = nullptr;  // the searched position, while running
std::uint32_t nodeLimit = 0;      // 0: none
int legalRootMoves = 0;
PvLine finishedLine{};
IterationReport userReport = nullptr;

int countLegalMoves() {
    Move moves[MAX_MOVES];
    int count = 0, legal = 0;
    generateAllMoves(moves, count);
    for (int i = 0; i < count && stackRoom() > 0; ++i) {
        makeMove(moves[i]);
        legal += opponentKingAttacked(*currentPosition) ? 0 : 1;
        takeBack();
    }
    return legal;
}

std::int32_t appliedMoveTime = 0;

void applyLimits(const SearchLimits& limits) {
    engineSettings.moveTime = limits.moveTime;
    appliedMoveTime = limits.moveTime;
    timeControl.allocatedTime = limits.allocatedTime;
    nodeLimit = limits.nodes;
}

void noteIteration(const Iteration& iteration) {
    if (!iteration.stopped && iteration.multiPv == 1) finishedLine = *iteration.line;
    userReport(iteration);
}

// The search's hook: the node limit, then the lines that have arrived.
void pollDuringSearch() {
    if (nodeLimit != 0 && completedRootNodes + nodeCount >= nodeLimit) gameState.stopSearch = 1;
    pollSearchInput();
}

}  // namespace

DeepeningResult searchWithInput(const SearchLimits& limits, SearchLineHandler handler, IterationReport report,
                                bool aheadWaits) {
    const std::int32_t moveTimeSetting = engineSettings.moveTime;
    applyLimits(limits);
    completedRootNodes = 0;
    finishedLine = PvLine{};
    legalRootMoves = countLegalMoves();
    rootProgress = RootProgress{0, 0};
    userReport = report;
    running = true;
    root = currentPosition;
    beginSearchInput(handler, aheadWaits);
    searchPoll = pollDuringSearch;
    const DeepeningResult result = deepen(limits.depth, noteIteration);
    searchPoll = nullptr;
    running = false;
    // A handler may have set the move time meanwhile ("st" during analysis); that stays.
    if (engineSettings.moveTime == appliedMoveTime) engineSettings.moveTime = moveTimeSetting;
    return result;
}

void startSearchClock(const SearchLimits& limits) {
    gameState.searchStartTime = clockMs();
    applyLimits(limits);
}

bool searchRunning() { return running; }

SearchStatus searchStatus() {
    const std::uint64_t nodes = completedRootNodes + (running ? nodeCount : 0);
    return SearchStatus{
        .elapsed = std::max(elapsedMs(gameState.searchStartTime) / 10, 0),
        .nodes = nodes,
        .depth = rootProgress.depth,
        .movesLeft = std::max(legalRootMoves - rootProgress.movesSearched, 0),
        .movesTotal = legalRootMoves,
    };
}

const PvLine& lastFinishedLine() { return finishedLine; }

void atSearchRoot(void (*look)()) {
    Position* const searching = currentPosition;
    if (running) currentPosition = root;
    look();
    currentPosition = searching;
}
