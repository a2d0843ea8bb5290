// Putting positions onto the stack (start position, FEN text) and showing them.
#pragma once

struct Position;

// The record of the initial position, white to move.
Position initialPosition();

// Restarts the stack at record 0 with the initial position, white to move, and the standard
// castling setup.
void setStartPosition();

// Longest FEN text accepted.
inline constexpr int FEN_BUFFER_LENGTH = 211;

// Loads FEN text into the current top record. Returns 1 on success; 0 leaves the record as it
// was. Refuses positions the engine cannot play safely (a side without exactly one king or
// with more than 16 pieces, pawns on the first or last rank, the side not to move in check,
// an en-passant file without the pawn that just advanced). The castling field takes KQkq and
// rook files (Shredder-FEN, "HAha"), mixed as X-FEN mixes them; what KQkq mean depends on the
// chess960 switch (board/castling.h). Castling rights whose king or rook is not on its square
// are dropped, and the castling setup is set from the rights read. Text ending after the
// castling or en-passant field gets the missing fields' defaults.
int readFen(const char* text);

// Room for the longest FEN text writeFen writes, with its terminator.
inline constexpr int FEN_TEXT_SIZE = 96;

// Writes the six FEN fields of `p` into `buffer` (at least FEN_TEXT_SIZE characters), the
// en-passant square whenever a pawn has just advanced two squares, and `fullmoveNumber`, which
// the record does not keep. Castling rights are KQkq for standard rooks and, in a Chess960
// game, for the outermost ones (X-FEN); other rooks by their files. readFen, under the same
// chess960 switch, reads the text back to the same record (repetition aside) and setup.
void writeFen(char* buffer, const Position& p, int fullmoveNumber = 1);

// Prints the ASCII diagram of the current position, white at the bottom.
void printBoard();
