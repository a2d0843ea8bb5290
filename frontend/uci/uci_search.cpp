#include "frontend/uci/uci_search.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/input/command_table.h"
#include "frontend/input/search_input.h"
#include "frontend/session/engine_turn.h"
#include "frontend/session/root_choice.h"
#include "frontend/session/search_session.h"
#include "frontend/uci/uci_position.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "search/root_moves.h"
#include "search/thinking.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

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

// The words of "go" that take no number of the table above.
bool isGoWord(const std::string& word) {
    return word == "infinite" || word == "ponder" || word == "searchmoves" || word == "mate";
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

// A move's UCI text, without moveToText's trailing blank.
std::string uciMoveText(Move move, const Position& position) {
    char text[8];
    moveToText(text, move, position);
    if (text[4] == ' ') text[4] = '\0';
    return text;
}

// `line` in UCI move text, each move after a blank; its first move even when the line is
// empty, as the thinking line shows it.
std::string principalVariation(const PvLine& line) {
    const std::uint32_t rootSide = currentPosition->sideToMove;
    const int length = std::clamp<int>(line.length, 1, PV_LENGTH);
    std::string text;
    Position mover{};  // all the move text reads of a position is whose move it is
    for (int i = 0; i < length && line.moves[i] != 0; ++i) {
        mover.sideToMove = rootSide ^ static_cast<std::uint32_t>(i & 1);
        text += ' ' + uciMoveText(line.moves[i], mover);
    }
    return text;
}

void reportIteration(const Iteration& iteration) {
    if (iteration.stopped) return;  // its score and line are unfinished
    const std::int64_t elapsed = std::max(elapsedMs(gameState.searchStartTime), 0);
    const std::uint64_t nodes = iteration.totalNodes;
    const std::uint64_t nps = nodes * 1000 / static_cast<std::uint64_t>(std::max<std::int64_t>(elapsed, 1));
    std::ostringstream info;
    info << "info depth " << iteration.depth;
    if (iteration.multiLine) info << " multipv " << iteration.multiPv;
    info << " score " << scoreText(iteration) << " time " << elapsed << " nodes " << nodes << " nps " << nps << " pv"
         << principalVariation(*iteration.line) << '\n';
    reply(info.str(), true);
}

// A "go ponder" waiting for its hit, and the limits the hit brings.
bool pondering = false;
SearchLimits limitsOnHit{};

// "ponderhit" while pondering: the search goes on under the go's clock limits, counted from now;
// one that has already ended answers at once.
DuringSearch ponderHit(const std::string&) {
    if (!pondering) return DuringSearch::ANSWERED;  // nothing to hit
    pondering = false;
    if (!searchRunning()) return DuringSearch::STOP;
    startSearchClock(limitsOnHit);
    return DuringSearch::ANSWERED;
}

DuringSearch readyDuringSearch(const std::string&) {
    std::printf("readyok\n");
    std::fflush(stdout);
    return DuringSearch::ANSWERED;
}

DuringSearch stopDuringSearch(const std::string&) { return DuringSearch::STOP; }
// The loop quits once the search has answered.
DuringSearch quitDuringSearch(const std::string&) { return DuringSearch::ABANDON; }
DuringSearch keepForLater(const std::string&) { return DuringSearch::KEEP; }

constexpr SearchLineRow UCI_SEARCH_LINES[] = {
    {"isready", Match::WHOLE, readyDuringSearch},
    {"stop", Match::WHOLE, stopDuringSearch},
    {"ponderhit", Match::WHOLE, ponderHit},
    {"quit", Match::WHOLE, quitDuringSearch},
    {"", Match::ANY, keepForLater},
};

DuringSearch uciSearchLine(const std::string& line) {
    std::string words = line;
    normalizeBlanks(words);
    return handleWithTable(UCI_SEARCH_LINES, words);
}

// `gameMove`: the answer is the engine's move in a game, not the end of an analysis.
void answer(const char* moveText, const char* ponder, bool gameMove) {
    reply(std::string("bestmove ") + moveText + ponder + "\n", false);
    if (gameMove) noteEngineMove(moveText);
}


// The answer to a search: its move, and the reply its line expects when it has one.
void answerMove(Move best, Move expected, bool gameMove) {
    if (best == 0) {
        reply("bestmove 0000\n", false);
        return;
    }
    const std::string text = uciMoveText(best, *currentPosition);
    std::string ponder;
    if (expected != 0 && stackRoom() > 0) {
        makeMove(best);
        ponder = " ponder " + uciMoveText(expected, *currentPosition);
        takeBack();
    }
    answer(text.c_str(), ponder.c_str(), gameMove);
}

// A book move the position accepts, answered at once; true when there was one.
bool answerFromBook() {
    char text[BOOK_MOVE_TEXT_SIZE];
    switch (tryBookMove(text)) {
        case BOOK_MOVE_MADE:
            takeBack();  // the front end plays it, in its next position command
            reply(std::string("info string book move ") + text + "\n", false);
            answer(text, "", true);
            return true;
        case BOOK_MOVE_REFUSED:
            reply(std::string("info string book move ") + text + " refused by the position\n", false);
            return false;
        default: return false;
    }
}

// The searchmoves of a go, for the current position.
void restrictRootMoves(const std::vector<std::string>& texts) {
    std::vector<Move> moves;
    for (const std::string& text : texts) {
        const Move move = legalMoveFromText(text);
        if (move == 0)
            reply("info string searchmoves: no legal move " + text + "\n", false);
        else
            moves.push_back(move);
    }
    if (!moves.empty()) allowOnlyRootMoves(moves.data(), static_cast<int>(moves.size()));
}

}  // namespace

std::string readGo(const char* text, GoCommand& go) {
    std::istringstream words(text);
    std::string word, unreadable;
    bool pending = false;  // `word` was read as a number and turned out to be a word of its own
    while (pending || words >> word) {
        pending = false;
        if (word == "infinite" || word == "ponder") {
            (word == "infinite" ? go.infinite : go.ponder) = true;
            continue;
        }
        if (word == "searchmoves") {
            // Its moves run up to the next word of the command.
            while (words >> word && findGoNumber(word) == nullptr && !isGoWord(word)) go.searchMoves.push_back(word);
            pending = !words.fail();
            continue;
        }
        const GoNumber* number = findGoNumber(word);
        if (number == nullptr) continue;  // mate, and words the protocol may add
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
    if (!go.searchMoves.empty()) restrictRootMoves(go.searchMoves);
    if (!go.infinite && !go.ponder && go.searchMoves.empty() && answerFromBook()) return;
    const SearchLimits limits = searchLimits(go);
    pondering = go.ponder;
    limitsOnHit = limits;
    DeepeningResult result{};
    if (hasLegalMove())
        result = searchWithInput(go.ponder ? unlimitedSearch(limits.depth) : limits, uciSearchLine, reportIteration);
    else
        beginSearchInput(uciSearchLine);
    // Only "stop", or the hit of a ponder search, lets these answer.
    if ((go.infinite || pondering) && searchEndAsked() == SearchEnd::NONE) waitForSearchEnd();
    const bool gameMove = !go.infinite && !pondering;
    pondering = false;
    // A search stopped before its first iteration ended still answers after a line with a score.
    if (result.depth > 0 && result.bestMove == 0) {
        result = emergencySearch();
        reportIteration(Iteration{1, result.score, -INFINITE_SCORE, INFINITE_SCORE, false, result.nodes, &result.line, 1,
                                  1, engineSettings.multiPv > 1});
    }
    allowAllRootMoves();  // searchmoves hold for one go
    answerMove(result.bestMove, expectedReply(result), gameMove);
}
