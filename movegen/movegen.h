// The two pseudo-legal generators (captures and promotions scored for ordering; quiet moves
// with castling) and the combined list for the game-end test.
#pragma once

#include "board/move.h"

// Every capture, promotion and en-passant capture of the side to move, each with its ordering
// score (victim first, cheaper attacker first; promotions and en passant fixed).
void generateCaptures(ScoredMoveList& list);

// Every move that neither captures nor promotes: castling, king, queens, rooks, bishops,
// knights, pawn pushes, in that order.
void generateQuiets(MoveList& list);

// Largest number of pseudo-legal moves a position can have.
inline constexpr int MAX_MOVES = MOVE_LIST_SIZE + SCORED_LIST_SIZE;

// All pseudo-legal moves into `moves` (room for MAX_MOVES): captures best-first, then the quiet
// moves from the last generated to the first.
void generateAllMoves(Move* moves, int& count);
