// Capture-only search below the full-width horizon, and the static exchange that decides which
// captures it tries and in which order.
#pragma once

#include "board/move.h"

// Stands pat on the evaluation and tries the captures whose exchange value is zero or better,
// best exchange first. Fail-hard: the result lies in [alpha, beta], except that a search stopped
// before any capture was tried reports mate (-mateScore) or 0 by the check status.
int quiesce(int alpha, int beta, int mateScore);

// The same, given the materialScore of the current position (see evaluate.h), which a caller
// that knows the previous position's can mostly work out from the move alone; UNKNOWN_MATERIAL
// when it could not.
int quiesceWithMaterial(int alpha, int beta, int mateScore, int material);

// The legal captures of the side to move whose exchange value is >= 0, in generator order,
// each scored by that value. `out` must be cleared by the caller.
void collectGoodCaptures(ScoredMoveList& out);

// The legal entries of generateCaptures with their generator scores, in reverse generator
// order. `out` must be cleared by the caller.
void collectLegalCaptures(ScoredMoveList& out);

// Value of one capture for the side making it: every available recapture on the square is
// assumed to be made, each side taking back with its cheapest legal capture. An illegal move
// is worth 0.
int staticExchange(Move move);

// Value, for the side to move, of going on capturing on `square`, given as seen by the side
// that has just moved.
int exchangeOnSquare(int square);

// The legal capture onto `square` (seen by the side that has just moved) with the greatest
// generator score, the earliest in generator order on ties; move 0 and score 0 when none.
ScoredMove cheapestRecapture(int square);

// The console's exchange check: values the best-scored legal capture and prints
// " SEE Value: %i". Prints nothing when there is no legal capture.
void exchangeSelfTest();
