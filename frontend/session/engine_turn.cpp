#include "frontend/session/engine_turn.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "board/castling.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "board/san.h"
#include "book/book.h"
#include "frontend/session/game_end.h"
#include "frontend/session/search_session.h"
#include "frontend/session/variant.h"
#include "search/driver.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

void refuseFullGame() {
    std::printf("tellusererror Error (game record full): no more moves can be played in this game\n");
}

// 1 when the book had a move for this position and the position accepted it.
int playBookMove(char* text) {
    const int result = tryBookMove(text);
    if (result == BOOK_MOVE_REFUSED) std::printf("#DEBUG: book move %s refused by the position\n", text);
    return result == BOOK_MOVE_MADE ? 1 : 0;
}

// Held at the smallest clock rather than wrapped, whatever the front end sent.
std::int32_t clockLessBy(std::int32_t clock, std::int32_t amount) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{clock} - amount, INT32_MIN));
}

// The reply the last searched move expects, and the game position it belongs to.
struct ExpectedReply {
    Move move = 0;
    int stackIndex = -1;
    Position position{};
};
ExpectedReply expected;

// Runs `step` with the clocks less the short-clock reserve; they are put back afterwards, since
// only the front end's "time" and "otim" set them.
template <typename Step>
void withReservedClocks(Step step) {
    const std::int32_t ownClock = timeControl.timeLeft, opponentClock = timeControl.opponentTimeLeft;
    keepLatencyReserve();
    step();
    timeControl.timeLeft = ownClock;
    timeControl.opponentTimeLeft = opponentClock;
}

// The search and its move; false when the search was abandoned without one.
bool searchMove(char* text, SearchLineHandler duringSearch) {
    if (duringSearch == nullptr) {
        withReservedClocks([text] { think(text); });
        return true;
    }
    text[0] = '\0';
    allocateTurnTime();
    if (!hasLegalMove()) return true;
    const SearchLimits limits{engineSettings.maxDepth, engineSettings.moveTime, timeControl.allocatedTime, 0};
    // What a script sent before the engine began to think is meant for after its move.
    const DeepeningResult result = searchWithInput(limits, duringSearch, printIteration, true);
    if (searchEndAsked() == SearchEnd::ABANDON) return false;
    playSearchedMove(result, text);
    return true;
}

}  // namespace

void allocateTurnTime() {
    withReservedClocks(allocateTime);
}

int tryBookMove(char* text) {
    // The book's keys and moves are those of standard chess.
    if (engineSettings.book != 1 || playingChess960()) return BOOK_NO_MOVE;
    if (chooseBookMove(engineSettings.bookFile, text) != 0) return BOOK_NO_MOVE;
    return parseMove(text) == 1 ? BOOK_MOVE_MADE : BOOK_MOVE_REFUSED;
}

void keepLatencyReserve() {
    const std::int32_t kept = timeControl.timeLeft - clockForAllocation(timeControl.timeLeft);
    timeControl.timeLeft = clockLessBy(timeControl.timeLeft, kept);
    // Which clock leads stays as it was.
    timeControl.opponentTimeLeft = clockLessBy(timeControl.opponentTimeLeft, kept);
}

std::int32_t clockReserve() { return engineSettings.moveOverhead / 10; }

std::int32_t clockForAllocation(std::int32_t timeLeft) {
    return timeLeft > SHORT_CLOCK_LIMIT ? timeLeft : clockLessBy(timeLeft, clockReserve());
}

int engineOnMove() {
    return gameState.gameOver == 0 && gameState.engineSide == currentPosition->sideToMove ? 1 : 0;
}

void engineTurn(const TurnStyle& style) {
    if (engineOnMove() != 1) return;
    if (!gameHasRoom()) {
        refuseFullGame();
        return;
    }
    gameState.searchStartTime = clockMs();
    char text[16] = "";  // room for the book's text and the search's
    expected = ExpectedReply{};
    if (playBookMove(text) == 1)
        style.announceBookMove(text);
    else if (!searchMove(text, style.duringSearch))
        return;
    gameState.gameOver = checkGameEnd();
    if (style.afterEngineMove != nullptr) style.afterEngineMove();
}

void playSearchedMove(const DeepeningResult& result, char* text) {
    const Move best = moveToPlay(result);
    playEngineMove(best, text);
    expected = ExpectedReply{};
    if (text[0] == '\0' || best != result.bestMove) return;
    expected = ExpectedReply{expectedReply(result), stackIndex(), *currentPosition};
}

Move replyExpectedHere() {
    if (expected.move == 0 || expected.stackIndex != stackIndex()) return 0;
    return std::memcmp(&expected.position, currentPosition, sizeof(Position)) == 0 ? expected.move : 0;
}

int makeGameMove(const char* text) {
    if (!gameHasRoom()) return GAME_MOVE_NO_ROOM;
    if (parseMove(text) == 1) return GAME_MOVE_MADE;
    // Castling as O-O or O-O-O (xboard's form in Chess960), or in a Chess960 game written with
    // O-O as the king taking its rook.
    if ((text[0] == 'O' || text[0] == '0') && parseSan(text) == 1) return GAME_MOVE_MADE;
    if (playingChess960() && !chess960Notation) {
        chess960Notation = true;
        const int made = parseMove(text);
        chess960Notation = false;
        if (made == 1) return GAME_MOVE_MADE;
    }
    return GAME_MOVE_ILLEGAL;
}

void acceptUserMove(const char* text, int logIt) {
    switch (makeGameMove(text)) {
        case GAME_MOVE_MADE:
            if (logIt == 1) logUserMove(text);
            gameState.gameOver = checkGameEnd();
            break;
        case GAME_MOVE_NO_ROOM:
            // The front end's own form for a refused move, with the reason in brackets.
            std::printf("Illegal move (game record full): %s\n", text);
            refuseFullGame();
            break;
        default: std::printf("Illegal move: %s\n", text); break;
    }
    std::fflush(stdout);
}

void takeBackPlies(int plies) {
    for (int i = 0; i < plies && stackIndex() > 0; ++i) takeBack();
}
