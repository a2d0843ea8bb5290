// Every legal move of the current position, built from the board core's own per-piece target
// sets. Slow next to the search's generators: it serves move text (SAN) and game records.
#pragma once

#include "board/move.h"

// Fills `list` with the legal moves of the side to move: by origin square, then by kind in the
// move readers' order, then by destination; promotions to queen, rook, bishop, knight. Empty
// when the stack has no room to try a move. The position is unchanged afterwards.
void listLegalMoves(MoveList& list);

// Whether the side to move has at least one legal move (false when the stack has no room).
bool anyLegalMove();
