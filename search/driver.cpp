#include "search/driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/alphabeta.h"
#include "search/ordering.h"
#include "search/thinking.h"
#include "search/transposition.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

constexpr int SPEED_ADJUSTMENT = 5;
constexpr int SHORT_CLOCK = 6000;            // one minute
constexpr int LARGE_INCREMENT = 300;         // from here on a short clock is not hurried
constexpr int INCREMENT_SAFETY_MARGIN = 500;

// The divisor of the remaining clock.
std::int32_t allocationSpeed() {
    const std::int32_t clock = timeControl.timeLeft;
    std::int32_t speed = engineSettings.suddenDeath;
    if (timeControl.opponentTimeLeft < clock) speed -= SPEED_ADJUSTMENT;  // ahead on time: spend more
    if (timeControl.opponentTimeLeft > clock) speed += SPEED_ADJUSTMENT;
    if (clock <= SHORT_CLOCK && timeControl.increment < LARGE_INCREMENT) speed += SPEED_ADJUSTMENT;
    return speed;
}

}  // namespace

// The stopped search may have left unfinished results behind, hence the fresh tables.
Move emergencyMove() {
    clearHash();
    clearKillers();
    gameState.stopSearch = 0;
    rootLine.length = 0;
    rootLine.moves[0] = 0;
    searchTimeLimited = false;
    searchRoot(1, -INFINITE_SCORE, INFINITE_SCORE);
    searchTimeLimited = true;
    return rootLine.length > 0 ? rootLine.moves[0] : 0;
}

bool hasLegalMove() {
    if (stackRoom() < 1) return false;
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    for (int i = 0; i < count; ++i) {
        makeMove(moves[i]);
        const bool legal = !opponentKingAttacked(*currentPosition);
        takeBack();
        if (legal) return true;
    }
    return false;
}

std::int32_t timeAllowance() {
    const std::int32_t clock = timeControl.timeLeft;
    const std::int32_t speed = allocationSpeed();
    // The settings' range keeps the divisor positive; a damaged setting must not divide by zero.
    std::int32_t allocated = clock / (speed > 0 ? speed : 1);
    const std::int64_t spare = std::int64_t{clock} - allocated - timeControl.increment;
    if (timeControl.increment > 0 && spare > INCREMENT_SAFETY_MARGIN) allocated += timeControl.increment;
    return allocated;
}

void allocateTime() {
    timeControl.allocatedTime = timeAllowance();
    std::printf("#DEBUG move speed: %i  allocated time: %i\n", allocationSpeed(), timeControl.allocatedTime);
}

void printIteration(const Iteration& iteration) {
    const int score = iteration.score;
    if (score > MATE_THRESHOLD) {
        std::printf("Mate in% d \n", (MATE_SCORE + 1 - score) / 2);
    } else if (score < -MATE_THRESHOLD) {
        std::printf("Mated to% d \n", (score + MATE_SCORE) / 2);
    } else if (engineSettings.postThinking == 1 && !iteration.stopped) {
        printThinkingHeader(iteration.depth, score);
        printPrincipalVariation();
    }
}

DeepeningResult deepen(int depthLimit, IterationReport report) {
    clearHash();
    clearHistory();
    // No move from an earlier search may pass for one of this position.
    rootLine.length = 0;
    rootLine.moves[0] = 0;

    DeepeningResult result{0, 0, 0, 0, PvLine{}};
    int depth = FIRST_DEPTH, alpha = -INFINITE_SCORE, beta = INFINITE_SCORE;
    depthLimit = std::min(depthLimit, DEEPEST_ITERATION);
    while (depth <= depthLimit) {
        gameState.stopSearch = 0;
        clearKillers();
        nodeCount = 0;
        const int score = searchRoot(depth, alpha, beta);
        const bool stopped = gameState.stopSearch == 1;
        result.nodes += nodeCount;
        result.score = score;
        result.depth = depth;
        if (!stopped) {
            result.bestMove = rootLine.moves[0];
            result.line = rootLine;
        }
        report(Iteration{depth, score, alpha, beta, stopped, result.nodes});
        if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) break;
        if (stopped) break;
        if (score >= beta || score <= alpha) {
            alpha = -INFINITE_SCORE;
            beta = INFINITE_SCORE;
        } else {
            alpha = score - ASPIRATION_MARGIN;
            beta = score + ASPIRATION_MARGIN;
            ++depth;
        }
    }
    return result;
}

Move moveToPlay(const DeepeningResult& result) { return result.bestMove != 0 ? result.bestMove : emergencyMove(); }

Move expectedReply(const DeepeningResult& result) {
    const PvLine& line = result.line;
    return line.length >= 2 && line.moves[0] == result.bestMove ? line.moves[1] : 0;
}

void playEngineMove(Move move, char* buffer) {
    buffer[0] = '\0';
    if (move == 0 || stackRoom() < 1) return;
    moveToText(buffer, move, *currentPosition);
    std::printf("move %s\n", buffer);
    if (engineSettings.logGame == 1 && engineSettings.logStream != nullptr)
        std::fprintf(engineSettings.logStream, "move %s\n", buffer);
    std::fflush(stdout);
    makeMove(move);
}

void think(char* buffer) {
    buffer[0] = '\0';
    allocateTime();
    if (!hasLegalMove()) return;
    playEngineMove(moveToPlay(deepen(engineSettings.maxDepth)), buffer);
}
