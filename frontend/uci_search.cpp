#include "frontend/uci_search.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/command_table.h"
#include "frontend/engine_state.h"
#include "frontend/engine_turn.h"
#include "frontend/uci_input.h"
#include "frontend/uci_position.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "search/thinking.h"

namespace {

constexpr int DEEPEST_UCI_DEPTH = 32;  // as "sd" and MaxDepth allow

// The "go" words that take a number, and where it goes.
struct GoNumber {
    const char* word;
    std::optional<std::int32_t> GoCommand::*value;
};

constexpr GoNumber GO_NUMBERS[] = {
    {"wtime", &GoCommand::wtime},
    {"btime", &GoCommand::btime},
    {"winc", &GoCommand::winc},
    {"binc", &GoCommand::binc},
    {"movestogo", &GoCommand::movesToGo},
    {"movetime", &GoCommand::moveTime},
    {"depth", &GoCommand::depth},
    {"nodes", &GoCommand::nodes},
};

const GoNumber* findGoNumber(const std::string& word) {
    for (const GoNumber& number : GO_NUMBERS)
        if (word == number.word) return &number;
    return nullptr;
}

// A whole word that is a decimal number of 32 bits.
bool readWholeNumber(const std::string& word, std::int32_t& value) {
    const char* end = nullptr;
    int read = 0;
    if (readNumber(word.c_str(), read, &end) == 0 || *end != '\0') return false;
    value = read;
    return true;
}

std::int32_t centiseconds(std::int32_t milliseconds) { return milliseconds / 10; }

// The search's state for the iteration reports and the input hook.
std::uint32_t nodeLimit = 0;      // 0: none
std::uint64_t finishedNodes = 0;  // nodes of the root searches that have returned

bool logging() { return engineSettings.logGame == 1 && engineSettings.logStream != nullptr; }

// Replies go out at once; "info" lines go to the game log too, as the thinking lines of the
// other loops do.
void reply(const std::string& text, bool logged) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    if (logged && logging()) std::fputs(text.c_str(), engineSettings.logStream);
}

// "cp S", or "mate M" with M in moves, positive when the engine mates; a score that failed
// the aspiration window is a bound.
std::string scoreText(const Iteration& iteration) {
    const int score = iteration.score;
    std::string text;
    if (score > MATE_THRESHOLD)
        text = "mate " + std::to_string((MATE_SCORE + 1 - score) / 2);
    else if (score < -MATE_THRESHOLD)
        text = "mate -" + std::to_string((MATE_SCORE + score) / 2);
    else
        text = "cp " + std::to_string(score);
    if (score >= iteration.beta) text += " lowerbound";
    if (score <= iteration.alpha) text += " upperbound";
    return text;
}

// rootLine in UCI move text, each move after a blank; its first move even when the line is
// empty, as the thinking line shows it.
std::string principalVariation() {
    const int rootSide = static_cast<int>(currentPosition->sideToMove);
    const int length = std::clamp<int>(rootLine.length, 1, PV_LENGTH);
    std::string text;
    char move[8];
    for (int i = 0; i < length && rootLine.moves[i] != 0; ++i) {
        const int written = pvMoveText(move, rootLine.moves[i], rootSide ^ (i & 1));
        move[written - 1] = '\0';  // its trailing blank
        text += ' ';
        text += move;
    }
    return text;
}

void reportIteration(const Iteration& iteration) {
    finishedNodes = iteration.totalNodes;
    if (iteration.stopped) return;  // its score and line are unfinished
    const std::int64_t elapsed = std::max(elapsedMs(gameState.searchStartTime), 0);
    const std::uint64_t nodes = iteration.totalNodes;
    const std::uint64_t nps = nodes * 1000 / static_cast<std::uint64_t>(std::max<std::int64_t>(elapsed, 1));
    std::ostringstream info;
    info << "info depth " << iteration.depth << " score " << scoreText(iteration) << " time " << elapsed
         << " nodes " << nodes << " nps " << nps << " pv" << principalVariation() << '\n';
    reply(info.str(), true);
}

// The search's input hook: the node limit, then the lines that have arrived.
void pollDuringSearch() {
    if (nodeLimit != 0 && finishedNodes + nodeCount >= nodeLimit) gameState.stopSearch = 1;
    pollSearchInput();
}

// The best move under `limits`, or 0 when there is no legal move. A search stopped before its
// first iteration ended still gives a legal move.
Move searchBestMove(const SearchLimits& limits) {
    if (!hasLegalMove()) return 0;
    const std::int32_t moveTimeSetting = engineSettings.moveTime;
    engineSettings.moveTime = limits.moveTime;
    timeControl.allocatedTime = limits.allocatedTime;
    nodeLimit = limits.nodes;
    finishedNodes = 0;
    searchPoll = pollDuringSearch;
    Move best = deepen(limits.depth, reportIteration).bestMove;
    searchPoll = nullptr;
    if (best == 0) best = emergencyMove();
    engineSettings.moveTime = moveTimeSetting;
    return best;
}

// `gameMove`: the answer is the engine's move in a game, not the end of an analysis.
void answer(const char* moveText, bool gameMove) {
    reply(std::string("bestmove ") + moveText + "\n", false);
    if (gameMove) noteEngineMove(moveText);
}

void answerMove(Move best, bool gameMove) {
    if (best == 0) {
        reply("bestmove 0000\n", false);
        return;
    }
    char text[8];
    moveToText(text, best, *currentPosition);
    if (text[4] == ' ') text[4] = '\0';
    answer(text, gameMove);
}

// A book move the position accepts, answered at once; true when there was one.
bool answerFromBook() {
    char text[BOOK_MOVE_TEXT_SIZE];
    switch (tryBookMove(text)) {
        case BOOK_MOVE_MADE:
            takeBack();  // the front end plays it, in its next position command
            reply(std::string("info string book move ") + text + "\n", false);
            answer(text, true);
            return true;
        case BOOK_MOVE_REFUSED:
            reply(std::string("info string book move ") + text + " refused by the position\n", false);
            return false;
        default: return false;
    }
}

}  // namespace

std::string readGo(const char* text, GoCommand& go) {
    std::istringstream words(text);
    std::string word, unreadable;
    bool pending = false;  // `word` was read as a number and turned out to be a word of its own
    while (pending || words >> word) {
        pending = false;
        if (word == "infinite") {
            go.infinite = true;
            continue;
        }
        const GoNumber* number = findGoNumber(word);
        if (number == nullptr) continue;  // ponder, searchmoves and its moves, mate, ...
        const std::string key = word;
        std::int32_t value = 0;
        if (words >> word && readWholeNumber(word, value)) {
            go.*number->value = value;
            continue;
        }
        if (unreadable.empty()) unreadable = key;
        pending = !words.fail();
    }
    return unreadable;
}

SearchLimits searchLimits(const GoCommand& go) {
    SearchLimits limits{engineSettings.maxDepth, NO_TIME_LIMIT, NO_TIME_LIMIT, 0};
    if (go.depth) limits.depth = std::clamp<int>(*go.depth, FIRST_DEPTH, DEEPEST_UCI_DEPTH);
    if (go.nodes) limits.nodes = static_cast<std::uint32_t>(std::max(*go.nodes, 1));
    if (go.infinite) return limits;
    // The time test is strict, so one centisecond less stops the search at the time asked.
    // Without a move time, MaxTime bounds the search, as it does under the other loops.
    limits.moveTime = go.moveTime ? centiseconds(*go.moveTime) - 1 : engineSettings.moveTime;
    const bool white = currentPosition->sideToMove == WHITE;
    const std::optional<std::int32_t>& own = white ? go.wtime : go.btime;
    const std::optional<std::int32_t>& other = white ? go.btime : go.wtime;
    if (!own) return limits;
    timeControl.timeLeft = centiseconds(*own);
    timeControl.opponentTimeLeft = centiseconds(other.value_or(*own));
    timeControl.increment = centiseconds((white ? go.winc : go.binc).value_or(0));
    timeControl.movesPerControl = go.movesToGo.value_or(0);
    keepLatencyReserve();
    limits.allocatedTime = timeAllowance();
    return limits;
}

void runGo(const GoCommand& go) {
    gameState.searchStartTime = clockMs();
    beginSearchInput();
    if (!go.infinite && answerFromBook()) return;
    const Move best = searchBestMove(searchLimits(go));
    if (go.infinite) waitForStop();  // the front end asks for the answer with "stop"
    answerMove(best, !go.infinite);
}
