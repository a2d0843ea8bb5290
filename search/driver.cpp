#include "search/driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/position_key.h"
#include "movegen/movegen.h"
#include "search/alphabeta.h"
#include "search/ordering.h"
#include "search/root_moves.h"
#include "search/strength.h"
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
DeepeningResult emergencySearch() {
    clearHash();
    clearKillers();
    gameState.stopSearch = 0;
    rootLine.length = 0;
    rootLine.moves[0] = 0;
    searchTimeLimited = false;
    startRootSkip();
    nodeCount = 0;
    const int score = searchRoot(1, -INFINITE_SCORE, INFINITE_SCORE);
    endRootSkip();
    searchTimeLimited = true;
    const Move move = rootLine.length > 0 ? rootLine.moves[0] : 0;
    return DeepeningResult{move, score, 1, nodeCount, move != 0 ? rootLine : PvLine{}};
}

Move emergencyMove() { return emergencySearch().bestMove; }

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
    // A mate is announced once, for the best line; the lines after it show their scores.
    if (iteration.multiPv > 1) {
        if (engineSettings.postThinking == 1 && !iteration.stopped) {
            printThinkingHeader(iteration.depth, score);
            printPrincipalVariation(*iteration.line);
        }
    } else if (score > MATE_THRESHOLD) {
        std::printf("Mate in% d \n", (MATE_SCORE + 1 - score) / 2);
    } else if (score < -MATE_THRESHOLD) {
        std::printf("Mated to% d \n", (score + MATE_SCORE) / 2);
    } else if (engineSettings.postThinking == 1 && !iteration.stopped) {
        printThinkingHeader(iteration.depth, score);
        printPrincipalVariation(*iteration.line);
    }
}

namespace {

// One line at a time, every root search reported as it returns.
DeepeningResult deepenOneLine(int depthLimit, IterationReport report) {
    DeepeningResult result{0, 0, 0, 0, PvLine{}};
    int depth = FIRST_DEPTH, alpha = -INFINITE_SCORE, beta = INFINITE_SCORE;
    while (depth <= depthLimit) {
        gameState.stopSearch = 0;
        clearKillers();
        nodeCount = 0;
        const int score = searchRoot(depth, alpha, beta);
        const bool stopped = gameState.stopSearch == 1;
        result.nodes += nodeCount;
        completedRootNodes = result.nodes;
        result.score = score;
        result.depth = depth;
        if (!stopped) {
            result.bestMove = rootLine.moves[0];
            result.line = rootLine;
        }
        report(Iteration{depth, score, alpha, beta, stopped, result.nodes, &rootLine, 1, 1,
                         engineSettings.multiPv > 1});
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

// The lines of one depth of a multi-line search, and the scores the next depth's windows
// centre on.
struct RootLines {
    PvLine line[MAX_PV_LINES];
    int score[MAX_PV_LINES];
    bool known[MAX_PV_LINES];  // the line has a score from an earlier depth
};
RootLines found;

// A line that a table hit cut short below its first move goes on with the moves the table
// holds for the positions after it, up to the depth searched: the later lines of a multi-line
// search meet many positions the first line's search left in the table. Counts no nodes.
void extendFromTable(PvLine& line, int depth) {
    const int limit = std::min(depth, PV_LENGTH);
    if (line.length <= 0 || line.length >= limit) return;
    const std::uint32_t nodes = nodeCount;
    int made = 0;
    while (made < line.length && stackRoom() > 1 && playAsText(line.moves[made]) != 0) ++made;
    while (made == line.length && line.length < limit && stackRoom() > 1) {
        HashEntry entry{};
        if (probeHashAt(computePositionKey(), entry, 0, -INFINITE_SCORE, INFINITE_SCORE) == HASH_MISS) break;
        const Move next = entry.move != 0 ? playAsText(entry.move) : 0;
        if (next == 0) break;
        line.moves[line.length++] = next;
        ++made;
    }
    for (; made > 0; --made) takeBack();
    nodeCount = nodes;
}

// Searches line `k` of `depth`, passing over the first moves of the lines before it; false
// when the stop flag cut it short.
bool searchLine(int depth, int k, int baseSkips, DeepeningResult& result) {
    rootSkip.count = baseSkips;
    for (int i = 0; i < k; ++i) rootSkip.moves[rootSkip.count++] = found.line[i].moves[0];
    int alpha = found.known[k] ? found.score[k] - ASPIRATION_MARGIN : -INFINITE_SCORE;
    int beta = found.known[k] ? found.score[k] + ASPIRATION_MARGIN : INFINITE_SCORE;
    for (;;) {
        gameState.stopSearch = 0;
        clearKillers();
        nodeCount = 0;
        rootLine.length = 0;
        rootLine.moves[0] = 0;
        const int score = searchRoot(depth, alpha, beta);
        result.nodes += nodeCount;
        completedRootNodes = result.nodes;
        if (gameState.stopSearch == 1) return false;
        if (score > alpha && score < beta) {
            extendFromTable(rootLine, depth);
            found.line[k] = rootLine;
            found.score[k] = score;
            found.known[k] = true;
            return true;
        }
        alpha = -INFINITE_SCORE;
        beta = INFINITE_SCORE;
    }
}

DeepeningResult deepenLines(int depthLimit, int lines, IterationReport report) {
    DeepeningResult result{0, 0, 0, 0, PvLine{}};
    const int baseSkips = rootSkip.count;
    rootSkip.active = true;
    for (int k = 0; k < lines; ++k) found.known[k] = false;
    for (int depth = FIRST_DEPTH; depth <= depthLimit; ++depth) {
        const std::uint64_t nodesBefore = result.nodes;
        for (int k = 0; k < lines; ++k) {
            if (!searchLine(depth, k, baseSkips, result)) {
                result.depth = depth;
                return result;
            }
            // The first line is the best move of the whole depth.
            if (k == 0) {
                result.bestMove = found.line[0].moves[0];
                result.line = found.line[0];
                result.score = found.score[0];
                result.depth = depth;
            }
        }
        // Best first; a later line that scores more than an earlier one moves up.
        int order[MAX_PV_LINES];
        for (int k = 0; k < lines; ++k) order[k] = k;
        std::stable_sort(order, order + lines, [](int a, int b) { return found.score[a] > found.score[b]; });
        RootLines sorted;
        for (int k = 0; k < lines; ++k) {
            sorted.line[k] = found.line[order[k]];
            sorted.score[k] = found.score[order[k]];
            sorted.known[k] = true;
        }
        found = sorted;
        result.bestMove = found.line[0].moves[0];
        result.line = found.line[0];
        result.score = found.score[0];
        nodeCount = static_cast<std::uint32_t>(result.nodes - nodesBefore);  // the depth's nodes, for its lines
        for (int k = 0; k < lines; ++k)
            report(Iteration{depth, found.score[k], -INFINITE_SCORE, INFINITE_SCORE, false, result.nodes, &found.line[k],
                             k + 1, lines, true});
        const int best = found.score[0];
        if (best > MATE_THRESHOLD || best < -MATE_THRESHOLD) break;
        if (gameState.stopSearch == 1) break;  // raised while the lines were reported
    }
    return result;
}

}  // namespace

DeepeningResult deepen(int depthLimit, IterationReport report) {
    if (strengthLimited()) return deepenAtLevel(strengthLevel(engineSettings.elo), depthLimit, report);
    clearHash();
    clearHistory();
    // No move from an earlier search may pass for one of this position.
    rootLine.length = 0;
    rootLine.moves[0] = 0;
    completedRootNodes = 0;
    depthLimit = std::min(depthLimit, DEEPEST_ITERATION);

    const int allowed = startRootSkip();
    const int lines = std::clamp(std::min(engineSettings.multiPv, allowed), 1, MAX_PV_LINES);
    const DeepeningResult result =
        lines == 1 ? deepenOneLine(depthLimit, report) : deepenLines(depthLimit, lines, report);
    endRootSkip();
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
