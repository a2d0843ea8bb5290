// Standard Algebraic Notation (Nf3, exd5, Raxe1, e8=Q+, O-O) in both directions, against the
// current position.
#pragma once

#include "board/move.h"

// Room for the longest SAN text ("Qa1xb2+", "exd8=Q#") and its terminator, with some to spare.
inline constexpr int SAN_BUFFER_SIZE = 12;

// Writes `move`, a legal move of the current position, in SAN: the piece letter, the shortest
// disambiguation among the legal moves of the same piece type to the same square, "x" for a
// capture, "=Q" for a promotion, "O-O" and "O-O-O", then "+" for check or "#" for mate.
// Returns 1, or 0 with an empty text when the move is not legal here. The position is unchanged.
int moveToSan(char* buffer, Move move);

// Reads SAN: the forms written above, with or without "+" or "#", with any "!" and "?" after
// them, "0-0" and "0-0-0" for castling, an optional "e.p." after an en-passant capture, and a
// promotion written without "=". Returns 1 with `move` set when the text names exactly one
// legal move; 0 for an ambiguous text, one that fits no legal move (a missing or wrong
// promotion, "x" on a move that captures nothing or missing on one that does) or any other
// text. The position is unchanged.
int readSan(const char* text, Move& move);

// readSan, then the move is made (it stays on the stack). Returns 1, or 0 with the stack unchanged.
int parseSan(const char* text);
