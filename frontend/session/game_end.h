// The end of a game (mate, stalemate, repetition, the fifty-move rule) and the game log.
#pragma once

// Tests the current position after a move of the game. Prints every result line that applies,
// in the order repetition, mate or stalemate, fifty-move rule, and logs the first two kinds.
// Returns 1 when the game is over, 0 when it goes on; the position is left as it was.
int checkGameEnd();

// How the game stands in the current position, by the same rules as checkGameEnd, which it
// neither prints nor logs: the result as PGN writes it ("1-0", "0-1", "1/2-1/2", or "*" while
// the game goes on) and the reason in checkGameEnd's words (null while the game goes on).
struct GameOutcome {
    const char* result;
    const char* reason;
};
GameOutcome gameOutcome();

// Whether checkGameEnd would find the game over in the current position, printing nothing.
inline bool gameHasEnded() { return gameOutcome().reason != nullptr; }

// The game log's writers. Each writes only while logGame is exactly 1.
void logNewGame(const char* opponentName);
void logUserMove(const char* moveText);
void logEngineMove(const char* moveText);
