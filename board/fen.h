// Putting positions onto the stack (start position, FEN text) and showing them.
#pragma once

// Restarts the stack at record 0 with the initial position, white to move.
void setStartPosition();

// Longest FEN text accepted.
inline constexpr int FEN_BUFFER_LENGTH = 211;

// Loads FEN text into the current top record. Returns 1 on success; 0 leaves the record as it
// was. Refuses positions the engine cannot play safely (a side without exactly one king or
// with more than 16 pieces, pawns on the first or last rank, the side not to move in check,
// an en-passant file without the pawn that just advanced). Castling rights whose king or rook
// is not on its square are dropped. Text ending after the castling or en-passant field gets
// the missing fields' defaults.
int readFen(const char* text);

// Prints the ASCII diagram of the current position, white at the bottom.
void printBoard();
