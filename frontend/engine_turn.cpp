#include "frontend/engine_turn.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/engine_state.h"
#include "frontend/game_end.h"
#include "search/driver.h"

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

// The search with the clocks it is shown; they are put back afterwards, since only the front
// end's "time" and "otim" set them.
void searchMove(char* text) {
    const std::int32_t ownClock = timeControl.timeLeft, opponentClock = timeControl.opponentTimeLeft;
    keepLatencyReserve();
    think(text);
    timeControl.timeLeft = ownClock;
    timeControl.opponentTimeLeft = opponentClock;
}

}  // namespace

int tryBookMove(char* text) {
    if (engineSettings.book != 1) return BOOK_NO_MOVE;
    if (chooseBookMove(engineSettings.bookFile, text) != 0) return BOOK_NO_MOVE;
    return parseMove(text) == 1 ? BOOK_MOVE_MADE : BOOK_MOVE_REFUSED;
}

void keepLatencyReserve() {
    const std::int32_t kept = timeControl.timeLeft - clockForAllocation(timeControl.timeLeft);
    timeControl.timeLeft = clockLessBy(timeControl.timeLeft, kept);
    // Which clock leads stays as it was.
    timeControl.opponentTimeLeft = clockLessBy(timeControl.opponentTimeLeft, kept);
}

std::int32_t clockForAllocation(std::int32_t timeLeft) {
    return timeLeft > SHORT_CLOCK_LIMIT ? timeLeft : clockLessBy(timeLeft, CLOCK_RESERVE);
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
    if (playBookMove(text) == 1)
        style.announceBookMove(text);
    else
        searchMove(text);
    gameState.gameOver = checkGameEnd();
    if (style.afterEngineMove != nullptr) style.afterEngineMove();
}

int makeGameMove(const char* text) {
    if (!gameHasRoom()) return GAME_MOVE_NO_ROOM;
    return parseMove(text) == 1 ? GAME_MOVE_MADE : GAME_MOVE_ILLEGAL;
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
