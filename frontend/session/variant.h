// The game's variant as the front ends set it: standard chess, or Chess960 with the castling
// notation of the protocol that plays it.
#pragma once

#include <string>

// How a Chess960 game's castling is written in coordinate text.
enum class CastlingText {
    KING_TAKES_ROOK,  // e1h1: UCI with UCI_Chess960, and the console
    O_O,              // O-O and O-O-O: xboard's "variant fischerandom"
};

// Standard chess from now on: the switches off. (setStartPosition restores the standard
// castling setup.)
void playStandardChess();

// Chess960 from now on, castling written as `text`.
void playChess960(CastlingText text);

bool playingChess960();

// A FEN for a new game: standard chess when the text reads so with every castling right it
// names, else Chess960 (X-FEN or Shredder-FEN), which is then turned on with castling written
// as `text`. Returns readFen's result; a refused text changes neither the record nor the variant.
int readGameFen(const char* fen, CastlingText text);

// Whether a PGN Variant tag names Chess960 ("Chess960", "Fischerandom", "Chess 960", any case).
bool isChess960Variant(const std::string& name);
