#include "frontend/xboard.h"

#include <cctype>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/position.h"
#include "frontend/command_table.h"
#include "frontend/engine_state.h"
#include "frontend/engine_turn.h"
#include "frontend/game_end.h"
#include "search/thinking.h"

namespace {

constexpr const char* ENGINE_NAME_VERSION = "tarlowick 0.06";
constexpr int MIN_DEPTH = 2;
constexpr int MAX_DEPTH = 32;
constexpr int DEPTH_LEFT_ALONE = 9999;  // "sd 9999" changes nothing, silently

// Centiseconds from a count of larger units, held at the largest clock rather than wrapping.
std::int32_t centiseconds(std::int64_t value) {
    return static_cast<std::int32_t>(value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value);
}

void reportUnreadableNumber(const std::string& line) { std::printf("Error (unreadable number): %s\n", line.c_str()); }

void announceBookMove(const char* moveText) {
    std::printf("#DEBUG: %s from opening book\n", moveText);
    std::printf("move %s\n", moveText);
    logEngineMove(moveText);
    std::fflush(stdout);
}

constexpr TurnStyle XBOARD_TURN{announceBookMove, nullptr};

void turn() { engineTurn(XBOARD_TURN); }

// The rows' actions, in table order.

void sendFeatures(const std::string&) {
    std::printf(
        "feature ping=1 setboard=1 debug=1 playother=1 analyze=1 colors=0 usermove=1 memory=0 time=1 "
        "myname=\"%s\" name=1 done=1\n",
        ENGINE_NAME_VERSION);
}

void newGame(const std::string&) {
    gameState.engineSide = BLACK;
    gameState.gameOver = 0;
    gameState.stopSearch = 0;
    setStartPosition();
}

void postOn(const std::string&) { engineSettings.postThinking = 1; }
void postOff(const std::string&) { engineSettings.postThinking = 0; }
void undoPly(const std::string&) { takeBackPlies(1); }
void playSideToMove(const std::string&) { gameState.engineSide = static_cast<std::uint8_t>(currentPosition->sideToMove); }

void forceMode(const std::string&) {
    gameState.engineSide = SIDE_NONE;
    gameState.stopSearch = 1;
    std::printf("#DEBUG force\n");
}

void status(const std::string&) { std::printf("#DEBUG stat\n"); }

void analyzeMode(const std::string&) {
    gameState.stopSearch = 0;
    gameState.engineSide = SIDE_NONE;
    gameState.searchStartTime = clockMs();
    analyze(engineSettings.maxDepth);
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

// "level MPS BASE INC": BASE in minutes, or minutes:seconds as front ends send for short games.
struct Level {
    int movesPerControl = 0;
    int minutes = 0;
    int seconds = -1;  // -1: BASE came without seconds
    int increment = 0;
};

int readLevel(const char* text, Level& level) {
    const char* next = text;
    if (readNumber(next, level.movesPerControl, &next) == 0) return 0;
    if (readNumber(next, level.minutes, &next) == 0) return 0;
    if (*next == ':') {
        if (!std::isdigit(static_cast<unsigned char>(next[1]))) return 0;
        if (readNumber(next + 1, level.seconds, &next) == 0) return 0;
    }
    return readNumber(next, level.increment, &next);
}

void setLevel(const std::string& line) {
    Level level;
    if (readLevel(textFrom(line, 6), level) == 0) return reportUnreadableNumber(line);
    if (level.seconds < 0)
        std::printf("#DEBUG level:%d %d %d\n", level.movesPerControl, level.minutes, level.increment);
    else
        std::printf("#DEBUG level:%d %d:%02d %d\n", level.movesPerControl, level.minutes, level.seconds,
                    level.increment);
    const std::int64_t base = std::int64_t{level.minutes} * 6000 + (level.seconds < 0 ? 0 : level.seconds) * 100;
    timeControl.movesPerControl = level.movesPerControl;
    timeControl.timeLeft = centiseconds(base);
    timeControl.opponentTimeLeft = centiseconds(base);
    timeControl.increment = centiseconds(std::int64_t{level.increment} * 100);
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

void userMove(const std::string& line) { acceptUserMove(textFrom(line, 9), 1); }

// The front end's take-back of a whole move, sent while the user is on move: two plies, and
// the engine keeps its colour.
void removeMove(const std::string&) { takeBackPlies(2); }

// Leave force mode and play the colour that is not on move, answering the opponent's next move.
void playOther(const std::string&) {
    gameState.engineSide = static_cast<std::uint8_t>(currentPosition->sideToMove ^ 1u);
}

void unknownCommand(const std::string& line) { std::printf("Error (unknown command): %s\n", line.c_str()); }

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
    {"", Match::ANY, unknownCommand, Then::TURN},
};

}  // namespace

void xboardLoop() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Front ends may interrupt the engine with SIGINT (the protocol's default), which would
    // otherwise end the process; this engine never needs the interruption.
    std::signal(SIGINT, SIG_IGN);
    runCommandLoop(XBOARD_COMMANDS, turn, "");
}
