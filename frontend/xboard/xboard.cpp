#include "frontend/xboard/xboard.h"

#include <cctype>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/input/command_table.h"
#include "frontend/input/search_input.h"
#include "frontend/session/engine_turn.h"
#include "frontend/session/game_end.h"
#include "frontend/session/root_choice.h"
#include "frontend/session/search_session.h"
#include "frontend/session/variant.h"
#include "frontend/xboard/xboard_options.h"
#include "search/root_moves.h"
#include "search/thinking.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

constexpr const char* ENGINE_NAME_VERSION = "tarlowick 0.06";
constexpr int MIN_DEPTH = 2;
constexpr int MAX_DEPTH = 32;
constexpr int DEPTH_LEFT_ALONE = 9999;  // "sd 9999" changes nothing, silently

// Centiseconds from a count of larger units, held at the largest clock rather than wrapping.
std::int32_t centiseconds(std::int64_t value) {
    return static_cast<std::int32_t>(value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value);
}

void unknownCommand(const std::string& line) { std::printf("Error (unknown command): %s\n", line.c_str()); }

void reportUnreadableNumber(const std::string& line) { std::printf("Error (unreadable number): %s\n", line.c_str()); }

// Analysis mode, between "analyze" and "exit": the engine analyses whatever position the front
// end sets up, deepening by itself until the position changes or its analysis ends.
bool analysisMode = false;
bool analysisPending = false;  // the current position has not been analysed to its end yet

// Pondering: after its move the engine searches the position after the reply it expects.
bool ponderPending = false;  // the engine has just moved
enum class Ponder { OFF, PONDERING, HIT };
Ponder ponderState = Ponder::OFF;
char expectedText[8] = "";        // the reply pondered on, as the front end sends it
std::int32_t ponderMoveTime = 0;  // the move-time setting, for the search after a hit

DuringSearch thinkingLine(const std::string& line);

void noteEngineMoved() { ponderPending = true; }

void announceBookMove(const char* moveText) {
    std::printf("#DEBUG: %s from opening book\n", moveText);
    std::printf("move %s\n", moveText);
    logEngineMove(moveText);
    std::fflush(stdout);
}

constexpr TurnStyle XBOARD_TURN{announceBookMove, noteEngineMoved, thinkingLine};

void turn() { engineTurn(XBOARD_TURN); }

// The rows' actions, in table order.

void sendFeatures(const std::string&) {
    std::printf(
        "feature ping=1 setboard=1 debug=1 playother=1 analyze=1 colors=0 usermove=1 memory=0 time=1 "
        "myname=\"%s\" name=1 done=1\n",
        ENGINE_NAME_VERSION);
    sendOptionFeatures();
}

// In analysis mode the new game is only analysed: the engine plays neither side.
void newGame(const std::string&) {
    gameState.engineSide = analysisMode ? SIDE_NONE : BLACK;
    gameState.gameOver = 0;
    gameState.stopSearch = 0;
    setStartPosition();
    playStandardChess();  // a "variant" command follows for another game
    allowAllRootMoves();
}

// "variant fischerandom": Chess960, castling sent and expected as O-O and O-O-O; the start
// position comes by setboard. "variant normal" is standard chess.
void setVariant(const std::string& line) {
    const std::string name = textFrom(line, 8);
    if (name == "fischerandom")
        playChess960(CastlingText::O_O);
    else if (name == "normal")
        playStandardChess();
    else
        std::printf("Error (unsupported variant): %s\n", line.c_str());
}

void postOn(const std::string&) { engineSettings.postThinking = 1; }
void postOff(const std::string&) { engineSettings.postThinking = 0; }
// Every new position starts with all its moves allowed again.
void undoPly(const std::string&) {
    takeBackPlies(1);
    allowAllRootMoves();
}
// Playing ends analysis mode: the engine analyses or plays, not both.
void playSideToMove(const std::string&) {
    analysisMode = false;
    gameState.engineSide = static_cast<std::uint8_t>(currentPosition->sideToMove);
}

void forceMode(const std::string&) {
    gameState.engineSide = SIDE_NONE;
    gameState.stopSearch = 1;
    std::printf("#DEBUG force\n");
}

void status(const std::string&) { std::printf("#DEBUG stat\n"); }

// The analysis itself runs while the loop waits for its next line.
void analyzeMode(const std::string&) {
    gameState.stopSearch = 0;
    gameState.engineSide = SIDE_NONE;
    gameState.searchStartTime = clockMs();
    analysisMode = true;
    analysisPending = true;
}

void exitMode(const std::string&) {
    gameState.engineSide = SIDE_NONE;
    gameState.stopSearch = 1;
    std::printf("DEBUG exit\n");
}

// A refused position leaves the start position and is reported, so that the front end does
// not go on from a board the engine does not have.
void setBoard(const std::string& line) {
    setStartPosition();
    if (readFen(textFrom(line, 9)) != 1) std::printf("tellusererror Illegal position\n");
    allowAllRootMoves();
}

void setDepth(const std::string& line) {
    int depth = 0;
    if (readNumber(textFrom(line, 2), depth) == 0) return reportUnreadableNumber(line);
    if (depth == DEPTH_LEFT_ALONE) return;
    if (depth < MIN_DEPTH || depth > MAX_DEPTH) {
        std::printf("Error (depth out of bound): Insert depth between 2 and %d\n", MAX_DEPTH);
        std::printf("tellusererror Error (depth out of bound): Insert depth between 2 and %d\n", MAX_DEPTH);
        return;
    }
    engineSettings.maxDepth = depth;
    std::printf("#DEBUG depth:%d\n", depth);
}

void setMoveTime(const std::string& line) {
    int seconds = 0;
    if (readNumber(textFrom(line, 2), seconds) == 0) return reportUnreadableNumber(line);
    if (seconds < 1) {
        std::printf("Error (movetime out of bound): Insert movetime > 0 \n");
        std::printf("tellusererror Error (movetime out of bound): Insert movetime > 0 \n");
        return;
    }
    engineSettings.moveTime = centiseconds(std::int64_t{seconds} * 100);
    std::printf("#DEBUG movetime:%d\n", seconds);
}

// "level MPS BASE INC": BASE in minutes, or minutes:seconds as front ends send for short games;
// INC in seconds, with a fraction for increments below a second ("0.2"), kept to the centisecond.
struct Level {
    int movesPerControl = 0;
    int minutes = 0;
    int seconds = -1;  // -1: BASE came without seconds
    int increment = 0;
    int incrementHundredths = 0;
    std::string incrementFraction;  // the digits after the point, as sent; empty without a point
};

// The digits after a decimal point: the first two are hundredths, any further ones are dropped.
int readFraction(const char*& next, Level& level) {
    if (*next != '.' || !std::isdigit(static_cast<unsigned char>(next[1]))) return 0;
    ++next;
    while (std::isdigit(static_cast<unsigned char>(*next))) level.incrementFraction.push_back(*next++);
    const std::string& digits = level.incrementFraction;
    level.incrementHundredths = (digits[0] - '0') * 10 + (digits.size() > 1 ? digits[1] - '0' : 0);
    return 1;
}

int readLevel(const char* text, Level& level) {
    const char* next = text;
    if (readNumber(next, level.movesPerControl, &next) == 0) return 0;
    if (readNumber(next, level.minutes, &next) == 0) return 0;
    if (*next == ':') {
        if (!std::isdigit(static_cast<unsigned char>(next[1]))) return 0;
        if (readNumber(next + 1, level.seconds, &next) == 0) return 0;
    }
    if (readNumber(next, level.increment, &next) == 0) return 0;
    if (*next == '.' && (readFraction(next, level) == 0 || level.increment < 0)) return 0;
    return 1;
}

void setLevel(const std::string& line) {
    Level level;
    if (readLevel(textFrom(line, 6), level) == 0) return reportUnreadableNumber(line);
    std::string base = std::to_string(level.minutes);
    if (level.seconds >= 0) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, ":%02d", level.seconds);
        base += seconds;
    }
    std::string increment = std::to_string(level.increment);
    if (!level.incrementFraction.empty()) increment += "." + level.incrementFraction;
    std::printf("#DEBUG level:%d %s %s\n", level.movesPerControl, base.c_str(), increment.c_str());
    const std::int64_t clock = std::int64_t{level.minutes} * 6000 + (level.seconds < 0 ? 0 : level.seconds) * 100;
    timeControl.movesPerControl = level.movesPerControl;
    timeControl.timeLeft = centiseconds(clock);
    timeControl.opponentTimeLeft = centiseconds(clock);
    timeControl.increment = centiseconds(std::int64_t{level.increment} * 100 + level.incrementHundredths);
}

void setOwnClock(const std::string& line) {
    if (readNumber(textFrom(line, 5), timeControl.timeLeft) == 0) return reportUnreadableNumber(line);
    std::printf("#DEBUG time:%d\n", timeControl.timeLeft);
}

void setOpponentClock(const std::string& line) {
    if (readNumber(textFrom(line, 5), timeControl.opponentTimeLeft) == 0) return reportUnreadableNumber(line);
    std::printf("#DEBUG otim:%d\n", timeControl.opponentTimeLeft);
}

void pong(const std::string& line) { std::printf("pong%s\n", textFrom(line, 4)); }

void opponentName(const std::string& line) {
    char* name = gameState.opponentName;
    if (std::sscanf(textFrom(line, 5), "%99[^\n]", name) != 1) name[0] = '\0';
    std::printf("#DEBUG name: %s\n", name);
    logNewGame(name);
}

void quit(const std::string&) {}

void userMove(const std::string& line) {
    acceptUserMove(textFrom(line, 9), 1);
    allowAllRootMoves();
}

// The front end's take-back of a whole move, sent while the user is on move: two plies, and
// the engine keeps its colour.
void removeMove(const std::string&) {
    takeBackPlies(2);
    allowAllRootMoves();
}

// The root moves the searches of this position may play; an analysis starts again on the new set.
void excludeMove(const std::string& line) {
    if (!excludeFromText(textFrom(line, 8))) std::printf("Error (not a legal move): %s\n", line.c_str());
}
void includeMove(const std::string& line) {
    if (!includeFromText(textFrom(line, 8))) std::printf("Error (not a legal move): %s\n", line.c_str());
}

// Leave force mode and play the colour that is not on move, answering the opponent's next move;
// with pondering on, think on that move meanwhile.
void playOther(const std::string&) {
    analysisMode = false;
    gameState.engineSide = static_cast<std::uint8_t>(currentPosition->sideToMove ^ 1u);
}

void ponderOn(const std::string&) { engineSettings.ponder = 1; }
void ponderOff(const std::string&) { engineSettings.ponder = 0; }

// "?" (move now) with no search running: nothing to hurry.
void nothingToHurry(const std::string&) {}

// The game is over for the front end: the engine does not move in it again (until "new", or a
// move the game-end test finds the game going on after). The reply stays that of a command
// the engine does not otherwise know.
void gameResult(const std::string& line) {
    gameState.gameOver = 1;
    unknownCommand(line);
}

// Tested in order, the first match winning.
constexpr CommandRow XBOARD_COMMANDS[] = {
    {"protover 2", Match::WHOLE, sendFeatures, Then::READ},
    {"new", Match::WHOLE, newGame, Then::TURN},
    {"post", Match::WHOLE, postOn, Then::READ},
    {"nopost", Match::WHOLE, postOff, Then::READ},
    {"undo", Match::WHOLE, undoPly, Then::READ},
    {"go", Match::WHOLE, playSideToMove, Then::TURN},
    {"force", Match::WHOLE, forceMode, Then::READ},
    {".", Match::WHOLE, status, Then::READ},
    {"analyze", Match::WHOLE, analyzeMode, Then::READ},
    {"exit", Match::WHOLE, exitMode, Then::READ},
    {"setboard", Match::PREFIX, setBoard, Then::READ},
    {"sd", Match::PREFIX, setDepth, Then::READ},
    {"st", Match::PREFIX, setMoveTime, Then::READ},
    {"level", Match::PREFIX, setLevel, Then::TURN},
    {"time", Match::PREFIX, setOwnClock, Then::TURN},
    {"otim", Match::PREFIX, setOpponentClock, Then::TURN},
    {"ping", Match::PREFIX, pong, Then::READ},
    {"name", Match::PREFIX, opponentName, Then::TURN},
    {"quit", Match::WHOLE, quit, Then::STOP},
    {"usermove", Match::PREFIX, userMove, Then::TURN},
    {"remove", Match::WHOLE, removeMove, Then::READ},
    {"playother", Match::WHOLE, playOther, Then::READ},
    {"hard", Match::WHOLE, ponderOn, Then::READ},
    {"easy", Match::WHOLE, ponderOff, Then::READ},
    {"?", Match::WHOLE, nothingToHurry, Then::READ},
    {"result", Match::PREFIX, gameResult, Then::TURN},
    {"variant ", Match::PREFIX, setVariant, Then::READ},
    {"option ", Match::PREFIX, setOptionCommand, Then::READ},
    {"memory ", Match::PREFIX, setMemory, Then::READ},
    {"exclude ", Match::PREFIX, excludeMove, Then::READ},
    {"include ", Match::PREFIX, includeMove, Then::READ},
    {"", Match::ANY, unknownCommand, Then::TURN},
};

// Lines that arrive while the engine thinks on its move. "?" plays the best move found so far;
// the commands that take the engine out of the game end the search without a move, so that its
// board stays the front end's; every other line waits until the move is made.
DuringSearch moveNow(const std::string&) { return DuringSearch::STOP; }
DuringSearch leaveTheGame(const std::string&) { return DuringSearch::ABANDON; }
DuringSearch afterTheMove(const std::string&) { return DuringSearch::KEEP; }

constexpr SearchLineRow THINKING_LINES[] = {
    {"?", Match::WHOLE, moveNow},
    {"force", Match::WHOLE, leaveTheGame},
    {"new", Match::WHOLE, leaveTheGame},
    {"quit", Match::WHOLE, leaveTheGame},
    {"exit", Match::WHOLE, leaveTheGame},
    {"undo", Match::WHOLE, leaveTheGame},
    {"remove", Match::WHOLE, leaveTheGame},
    {"result", Match::PREFIX, leaveTheGame},
    {"setboard", Match::PREFIX, leaveTheGame},
    {"", Match::ANY, afterTheMove},
};

DuringSearch thinkingLine(const std::string& line) { return handleWithTable(THINKING_LINES, line); }

// A command row run at once during a search, the search going on.
template <void (*action)(const std::string&)>
DuringSearch answerNow(const std::string& line) {
    action(line);
    return DuringSearch::ANSWERED;
}

// Lines while pondering, before the expected move has come. The pong, the clocks and the
// settings that leave the game alone are dealt with at once; the expected move is a ponder hit
// and the search goes on as the engine's own; anything else ends the pondering first.
DuringSearch ponderMove(const std::string& line) {
    if (std::string(textFrom(line, 9)) != expectedText) return DuringSearch::ABANDON;
    ponderState = Ponder::HIT;
    logUserMove(expectedText);
    if (!searchRunning()) return DuringSearch::STOP;  // the ponder search has ended: play its move
    // The clock is the engine's from the move's arrival, with the clocks the front end has sent.
    allocateTurnTime();
    startSearchClock(SearchLimits{engineSettings.maxDepth, ponderMoveTime, timeControl.allocatedTime, 0});
    return DuringSearch::ANSWERED;
}

constexpr SearchLineRow PONDER_LINES[] = {
    {"ping", Match::PREFIX, answerNow<pong>},
    {"time", Match::PREFIX, answerNow<setOwnClock>},
    {"otim", Match::PREFIX, answerNow<setOpponentClock>},
    {"post", Match::WHOLE, answerNow<postOn>},
    {"nopost", Match::WHOLE, answerNow<postOff>},
    {"hard", Match::WHOLE, answerNow<ponderOn>},
    {"?", Match::WHOLE, answerNow<nothingToHurry>},
    {"usermove", Match::PREFIX, ponderMove},
    {"", Match::ANY, leaveTheGame},
};

// After a ponder hit the search is the engine's own, and hears lines as one.
DuringSearch ponderLine(const std::string& line) {
    return ponderState == Ponder::HIT ? thinkingLine(line) : handleWithTable(PONDER_LINES, line);
}

// Thinks on the opponent's time about the reply the engine's last move expects, when pondering
// is on and the game goes on. Returns once the pondering is over: on a hit with the engine's
// move played (and the pondering on the next reply due), else with the game as it was.
void ponder() {
    ponderPending = false;
    if (engineSettings.ponder != 1 || gameState.gameOver != 0 || gameState.engineSide == SIDE_NONE) return;
    if (gameState.engineSide == currentPosition->sideToMove || !gameHasRoom()) return;
    const Move reply = replyExpectedHere();
    if (reply == 0) return;
    char text[8];
    moveToText(text, reply, *currentPosition);
    if (text[4] == ' ') text[4] = '\0';
    if (makeGameMove(text) != GAME_MOVE_MADE) return;
    if (gameHasEnded() || engineOnMove() != 1) {
        takeBack();
        return;
    }
    std::snprintf(expectedText, sizeof expectedText, "%s", text);
    // The thinking lines that follow leave out the move they start from, so it is named first.
    if (engineSettings.postThinking == 1) std::printf("Hint: %s\n", expectedText);
    ponderState = Ponder::PONDERING;
    ponderMoveTime = engineSettings.moveTime;
    gameState.stopSearch = 0;
    gameState.searchStartTime = clockMs();
    const DeepeningResult result = searchWithInput(unlimitedSearch(engineSettings.maxDepth), ponderLine, printIteration);
    // A ponder search that ended by itself waits for the move, or for anything else.
    if (ponderState == Ponder::PONDERING && searchEndAsked() == SearchEnd::NONE) waitForSearchEnd();
    const bool hit = ponderState == Ponder::HIT;
    ponderState = Ponder::OFF;
    if (!hit) {
        takeBack();  // the expected move never came: the game is as the front end left it
        return;
    }
    // The expected move is the game's now, and the search was the engine's own.
    gameState.gameOver = checkGameEnd();
    if (searchEndAsked() == SearchEnd::ABANDON || engineOnMove() != 1) return;
    char moveText[16];
    playSearchedMove(result, moveText);
    gameState.gameOver = checkGameEnd();
    noteEngineMoved();
}

// Lines during analysis. They are answered at once where they leave the position alone; any
// other line ends the search and goes to the loop, and the analysis starts again afterwards.
void statusLine(const std::string&) {
    const SearchStatus status = searchStatus();
    std::printf("stat01: %d %llu %d %d %d\n", status.elapsed, static_cast<unsigned long long>(status.nodes),
                status.depth, status.movesLeft, status.movesTotal);
}

DuringSearch leaveAnalysis(const std::string&) {
    std::printf("#DEBUG exit da polling\n");
    gameState.engineSide = SIDE_NONE;
    analysisMode = false;
    return DuringSearch::STOP;
}

void analysisMoveTime(const std::string& line) { setAnalysisMoveTime(line); }

// The first move of the best line found so far in the analysed position.
void hint(const std::string&) {
    atSearchRoot([] {
        const PvLine& line = lastFinishedLine();
        if (line.length < 1 || line.moves[0] == 0) return;
        char text[8];
        moveToText(text, line.moves[0], *currentPosition);
        if (text[4] == ' ') text[4] = '\0';
        std::printf("Hint: %s\n", text);
    });
}

// The book's moves for the analysed position, each line starting with a blank and an empty
// line last, as the front end shows them.
void bookMovesHere(const std::string&) {
    atSearchRoot([] {
        BookMoveShare moves[BOOK_MAX_MOVES];
        const int count =
            engineSettings.book == 1 && !playingChess960() ? listBookMoves(engineSettings.bookFile, moves) : 0;
        if (count == 0) std::printf(" no book moves\n");
        for (int i = 0; i < count; ++i) std::printf(" %s %.2f%%\n", moves[i].text, moves[i].share);
        std::printf("\n");
    });
}

constexpr SearchLineRow ANALYSIS_LINES[] = {
    {"exit", Match::WHOLE, leaveAnalysis},
    {".", Match::WHOLE, answerNow<statusLine>},
    {"st", Match::PREFIX, answerNow<analysisMoveTime>},
    {"post", Match::WHOLE, answerNow<postOn>},
    {"nopost", Match::WHOLE, answerNow<postOff>},
    {"ping", Match::PREFIX, answerNow<pong>},
    {"hint", Match::WHOLE, answerNow<hint>},
    {"bk", Match::WHOLE, answerNow<bookMovesHere>},
    {"?", Match::WHOLE, answerNow<nothingToHurry>},
    {"", Match::ANY, leaveTheGame},
};

DuringSearch analysisLine(const std::string& line) { return handleWithTable(ANALYSIS_LINES, line); }

// The input is read first: a line for a position the front end has already left, or after its
// "exit", is not printed.
void reportAnalysisIteration(const Iteration& iteration) {
    pollSearchInput();
    if (iteration.stopped || searchEndAsked() != SearchEnd::NONE) return;
    if (engineSettings.postThinking == 1) printAnalysisIteration(iteration);
}

// Analyses the current position until a line needs the loop, "exit", or the analysis ends by
// itself: a mate, the depth limit, or the move time of "st". The time allocated for the last
// game move plays no part.
void analyseCurrentPosition() {
    analysisPending = false;
    if (!hasLegalMove()) return;
    gameState.stopSearch = 0;
    gameState.searchStartTime = clockMs();
    const SearchLimits limits{engineSettings.maxDepth, engineSettings.moveTime, NO_TIME_LIMIT, 0};
    searchWithInput(limits, analysisLine, reportAnalysisIteration);
}

// The loop's next line. While the loop would wait, the engine analyses (in analysis mode) or
// ponders; both end as soon as a line needs the loop.
bool nextXboardLine(std::string& line) {
    for (;;) {
        if (takeKeptLine(line)) {
            // Whatever the loop makes of it, the position is analysed afresh afterwards.
            if (analysisMode) analysisPending = true;
            return true;
        }
        if (searchInputEnded()) return false;
        if (analysisMode) {
            if (analysisPending && !lineWaiting())
                analyseCurrentPosition();
            else
                takeOneLine(analysisLine);  // waits only when the analysis has ended
            continue;
        }
        if (ponderPending && !lineWaiting()) {
            ponder();
            continue;
        }
        return readCommandLine(line);
    }
}

}  // namespace

void xboardLoop() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Front ends may interrupt the engine with SIGINT (the protocol's default), which would
    // otherwise end the process; this engine never needs the interruption.
    std::signal(SIGINT, SIG_IGN);
    resetSearchInput();
    analysisMode = analysisPending = ponderPending = false;
    ponderState = Ponder::OFF;
    runCommandLoop(XBOARD_COMMANDS, turn, "", nextXboardLine);
}
