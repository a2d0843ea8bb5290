// Coordinate move text (e2e4, e7e8q) in both directions.
#pragma once

#include "board/move.h"
#include "board/position.h"

// Writes five characters and a terminator: the squares as real squares, then the promotion
// letter or a space. `from` supplies the side the move is played by. Castling is the king's two
// squares, or with the chess960Notation switch on the king's square and its rook's; with the
// castlingAsOO switch on, "O-O" or "O-O-O" and the terminator.
void moveToText(char* buffer, Move move, const Position& from);

// Reads a move, checks it against the current position and makes it. Returns 1 when it was a
// legal move (now on the stack), 0 otherwise with the stack unchanged.
int parseMove(const char* text);

// parseMove of the text moveToText writes for `move` in the current position, without the
// text: the same checks and the same move made. Returns the move made (the generators' code
// for it), or 0 when the text would be refused.
Move playAsText(Move move);
