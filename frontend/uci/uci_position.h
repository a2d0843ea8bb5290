// The game position of the UCI loop: "position startpos|fen <FEN> [moves ...]", sent whole
// before every search, and the game log's record of the moves it adds.
#pragma once

// Sets up the position from the text after "position ". A refused FEN, a move that is not legal
// or a game too long for the stack is answered with an "info string" line, and the position of
// the last good command stays.
void setUciPosition(const char* text);

// A new game: the start position, a new record in the game log, no moves known yet.
void newUciGame();

// The engine's answer, logged as the engine's move; a position command that goes on from it
// logs only the moves after it.
void noteEngineMove(const char* moveText);
