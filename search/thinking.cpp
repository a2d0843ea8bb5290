#include "search/thinking.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/makemove.h"
#include "board/position.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "search/ordering.h"
#include "search/root_moves.h"
#include "search/search_hooks.h"
#include "search/transposition.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"

namespace {

inline bool logging() { return engineSettings.logGame == 1 && engineSettings.logStream != nullptr; }

inline void writeOut(const char* text) {
    std::fputs(text, stdout);
    if (logging()) std::fputs(text, engineSettings.logStream);
}

inline void printThinkingLine(int depth, int score, const PvLine& line = rootLine) {
    printThinkingHeader(depth, score);
    printPrincipalVariation(line);
}

// The number of "st N" the way "st %d" reads it: blanks may follow "st", then an optionally
// signed decimal. False when no number follows.
bool readMoveTimeSeconds(const std::string& line, long& seconds) {
    const char* text = line.c_str() + 2;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    const char* digits = text + (*text == '-' || *text == '+');
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
    seconds = std::strtol(text, nullptr, 10);
    return true;
}

}  // namespace

int pvMoveText(char* buffer, Move move, int mirrored) {
    static constexpr char PROMOTION_LETTERS[8] = {0, 0, 'n', 'b', 'r', 'q', 0, 0};
    const int flip = mirrored == 1 ? 56 : 0;
    const int from = moveFrom(move) ^ flip, to = moveTo(move) ^ flip;
    int n = 0;
    buffer[n++] = static_cast<char>('a' + (from & 7));
    buffer[n++] = static_cast<char>('1' + from / 8);
    buffer[n++] = static_cast<char>('a' + (to & 7));
    buffer[n++] = static_cast<char>('1' + to / 8);
    if (const char letter = PROMOTION_LETTERS[movePromotion(move) & 7]) buffer[n++] = letter;
    buffer[n++] = ' ';
    buffer[n] = '\0';
    return n;
}

void printThinkingHeader(int depth, int score) {
    std::fflush(stdout);
    const int elapsed = elapsedMs(gameState.searchStartTime) / 10;
    char text[64];
    std::snprintf(text, sizeof text, "%2d %6d %6d %10ld ", depth, score, elapsed, static_cast<long>(nodeCount));
    writeOut(text);
}

void printPrincipalVariation(const PvLine& line) {
    const int rootSide = static_cast<int>(currentPosition->sideToMove);
    std::fflush(stdout);
    // 16 moves of at most 6 characters, 8 move numbers, the prefix and the line end.
    char text[256];
    int n = std::snprintf(text, sizeof text, rootSide == 0 ? "1. " : "1. .. ");
    n += pvMoveText(text + n, line.moves[0], rootSide);
    const int length = std::min<int>(line.length, PV_LENGTH);
    int moveNumber = 2;
    for (int i = 1; i < length; ++i) {
        const int mover = rootSide ^ (i & 1);
        if (mover == 0) n += std::snprintf(text + n, sizeof text - n, "%i. ", moveNumber++);
        n += pvMoveText(text + n, line.moves[i], mover);
    }
    text[n++] = '\n';
    text[n] = '\0';
    writeOut(text);
}

void printAnalysisLine(int depth, int score, PvLine& line) {
    if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) {
        // As many moves as the mate is moves away, never more than the line holds.
        const int moves = score > 0 ? (MATE_SCORE + 1 - score) / 2 : (score + MATE_SCORE) / 2;
        line.length = std::min<int>(moves, line.length);
    }
    printThinkingLine(depth, score, line);
}

void printAnalysisIteration(const Iteration& iteration) {
    PvLine line = *iteration.line;
    printAnalysisLine(iteration.depth, iteration.score, line);
    if (iteration.line == &rootLine) rootLine.length = line.length;
}

void pollAnalysisInput() {
    std::string line;
    if (analysisInput == nullptr || !analysisInput(line) || line.size() + 1 > ANALYSIS_LINE_LIMIT) {
        gameState.stopSearch = 1;  // nothing more will come, or not a line the front end meant
        return;
    }
    if (line == "exit") {
        std::printf("#DEBUG exit da polling\n");
        gameState.engineSide = SIDE_NONE;
        gameState.stopSearch = 1;
        return;
    }
    if (line.compare(0, 2, "st") == 0) setAnalysisMoveTime(line);
}

void setAnalysisMoveTime(const std::string& line) {
    long seconds = 0;
    if (!readMoveTimeSeconds(line, seconds)) return;
    if (seconds < 1) {
        std::printf("Error (movetime out of bound): Insert movetime > 0 \n");
        std::printf("tellusererror Error (movetime out of bound): Insert movetime > 0 \n");
        return;
    }
    // Kept within the 32-bit centisecond field.
    const int clamped = static_cast<int>(std::min<long>(seconds, INT_MAX / 100));
    engineSettings.moveTime = clamped * 100;
    std::printf("#DEBUG movetime:%d\n", clamped);
}

namespace {

int bestScoreOfDepth = 0;

bool isMateScore(int score) { return score > MATE_THRESHOLD || score < -MATE_THRESHOLD; }

// A multi-line analysis: a depth's lines are printed together, then one input line is read,
// unless the best line is a mate, which ends the analysis.
void reportAnalysisLines(const Iteration& iteration) {
    if (iteration.multiPv == 1) bestScoreOfDepth = iteration.score;
    if (engineSettings.postThinking == 1) printAnalysisIteration(iteration);
    if (iteration.multiPv == iteration.lines && !isMateScore(bestScoreOfDepth)) pollAnalysisInput();
}

void analyzeOneLine(int depthLimit) {
    int depth = FIRST_DEPTH, alpha = -INFINITE_SCORE, beta = INFINITE_SCORE;
    const bool post = engineSettings.postThinking == 1;
    for (;;) {
        clearKillers();
        nodeCount = 0;
        const int score = searchRoot(depth, alpha, beta);
        if (isMateScore(score)) {
            if (post) printAnalysisLine(depth, score);
            return;
        }
        if (post && gameState.stopSearch == 0) printThinkingLine(depth, score);
        pollAnalysisInput();
        if (gameState.stopSearch == 1) return;
        if (alpha < score && score < beta) {
            alpha = score - ASPIRATION_MARGIN;
            beta = score + ASPIRATION_MARGIN;
            if (++depth > depthLimit) return;
        } else {
            alpha = -INFINITE_SCORE;
            beta = INFINITE_SCORE;
        }
    }
}

}  // namespace

void analyze(int depthLimit) {
    clearHash();
    clearHistory();
    if (depthLimit < FIRST_DEPTH) return;
    Move allowed[MAX_MOVES];
    const int allowedCount = allowedRootMoves(allowed);
    if (allowedCount == 0) return;  // no variation to show
    depthLimit = std::min(depthLimit, DEEPEST_ITERATION);
    if (std::min(engineSettings.multiPv, allowedCount) > 1) {
        deepen(depthLimit, reportAnalysisLines);
        return;
    }
    startRootSkip();
    analyzeOneLine(depthLimit);
    endRootSkip();
}
