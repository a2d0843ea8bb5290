// A PGN game's first position put on the stack: the start position, or its FEN tag in its
// variant (the Variant tag, or what the FEN's castling rights say).
#pragma once

#include <string>

#include "frontend/files/pgn_reader.h"

// Sets up game `number` of `file`'s first position on a fresh stack and returns 1 with
// `firstNumber` its fullmove number; 0, after printing the error naming the game and the file,
// when its FEN cannot be read.
int setUpPgnStart(const PgnGame& game, int number, const char* file, int& firstNumber);

// The fullmove number of a FEN's sixth field, 1 when it has none that reads.
int fullmoveNumberOf(const std::string& fen);
