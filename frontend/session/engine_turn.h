// What both loops share around the moves of a game: taking the user's move, the engine's turn
// (the book first, then the search) and stepping back.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "frontend/input/search_input.h"
#include "search/driver.h"

// How a loop words the engine's moves.
struct TurnStyle {
    // Announces a book move that has just been made (and logs it where the loop logs moves).
    void (*announceBookMove)(const char* moveText);
    // Runs after every engine move, once the game-end test has run; may be null.
    void (*afterEngineMove)();
    // Reads the input while the engine searches, or null: the search reads none.
    SearchLineHandler duringSearch;
};

// Results of tryBookMove.
inline constexpr int BOOK_NO_MOVE = 0;       // the book is off or has no move for the position
inline constexpr int BOOK_MOVE_MADE = 1;     // the move is on the stack
inline constexpr int BOOK_MOVE_REFUSED = 2;  // the position refused the book's move (a corrupt or foreign book)

// When the book is on, asks it for a move of the current position (its text into `text`, at
// least BOOK_MOVE_TEXT_SIZE bytes) and makes the move if the position accepts it.
int tryBookMove(char* text);

// 1 when the engine is to move now: the game goes on and engineSide is the side to move.
int engineOnMove();

// When the engine is on move: plays a book move the position accepts or else searches, then
// runs the game-end test into gameOver. Does nothing otherwise. A search that reads input ends
// without a move when its handler abandons it; the game-end test does not run then.
void engineTurn(const TurnStyle& style);

// The engine's move after a search that read input: announced, logged and made as think does,
// and the reply the search expects remembered. `text` (at least six characters) receives the
// move's text. The game-end test is the caller's.
void playSearchedMove(const DeepeningResult& result, char* text);

// The reply the engine's last searched move expects, when the game stands right after that
// move; else 0.
Move replyExpectedHere();

// Results of makeGameMove.
inline constexpr int GAME_MOVE_ILLEGAL = 0;
inline constexpr int GAME_MOVE_MADE = 1;
inline constexpr int GAME_MOVE_NO_ROOM = 2;  // legal or not, the game record is full

// Makes a move of the game from its coordinate text (or castling as O-O or O-O-O, and in a
// Chess960 game also as the king taking its rook), unless the game has used up its records
// (the search keeps its reserve above them) or the move is not legal.
int makeGameMove(const char* text);

// The user's move: made, logged when `logIt` is 1 (and logGame is on), then tested for the end
// of the game into gameOver; or refused with the "Illegal move" reply and nothing changed.
// Flushes standard output either way.
void acceptUserMove(const char* text, int logIt);

// Steps the game back by up to `plies` records, never below the first one.
void takeBackPlies(int plies);

// A short clock runs down by the pipe and process latency of every move, which the allocation
// does not see. Below SHORT_CLOCK_LIMIT the allocation is therefore shown both clocks less the
// reserve (the Move Overhead setting, one second by default), so about a twenty-fifth of it
// (the divisor of short clocks) is kept back on each move, and the last of the clock is left
// for latency alone. Centiseconds.
inline constexpr std::int32_t SHORT_CLOCK_LIMIT = 6000;

// The reserve, in centiseconds.
std::int32_t clockReserve();

// The clock the allocation is shown for a clock of `timeLeft`.
std::int32_t clockForAllocation(std::int32_t timeLeft);

// Sets and prints the allocation of this move as think does, the clocks shown less what a short
// clock keeps back; the clocks themselves stay as the front end set them.
void allocateTurnTime();

// Takes from both TimeControl clocks what a short own clock keeps back, so the allocation that
// follows sees the clocks it is to be shown.
void keepLatencyReserve();
