// The recursive full-width search: fail-hard negamax alpha-beta with the transposition table, a
// null move, the hash move, captures by generator score and quiet moves by killers and history.
#pragma once

#include <cstdint>

#include "board/move.h"

inline constexpr int MATE_SCORE = 30000;
inline constexpr int MATE_THRESHOLD = 28999;  // scores beyond it are mates
inline constexpr int INFINITE_SCORE = 99997;  // the full window is -INFINITE_SCORE..INFINITE_SCORE
inline constexpr int ASPIRATION_MARGIN = 50;
inline constexpr int FIRST_DEPTH = 2;
inline constexpr int DEEPEST_ITERATION = 255;  // the table keeps depths in a byte

inline constexpr int PV_LENGTH = 16;

// A node's principal variation: its best move followed by its child's line, at most 16 moves.
struct PvLine {
    std::int32_t length;
    Move moves[PV_LENGTH];
};

// The root's line; its first move is the best move of the last iteration that raised alpha.
inline PvLine rootLine{};

// How far the running iteration has got at the root, for a front end's status line: its depth
// and the root moves searched so far (the hash move counts again in its own phase).
struct RootProgress {
    int depth;
    int movesSearched;
};
inline RootProgress rootProgress{};

// The time test is on for every search except the drivers' emergency search for a move after
// time ran out before one was known.
inline bool searchTimeLimited = true;

// Searches the current position `depth` plies deep (then quiescence). Returns a table score,
// 0 for a draw, the quiescence value at depth 0, the null-move score when it reaches beta, beta
// on a cut-off, -mateScore when mated, 0 when stalemated, alpha otherwise. `line` receives the
// principal variation; `mateScore` is MATE_SCORE at the root and one less per ply.
int alphaBeta(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed);

// alphaBeta(depth, alpha, beta, rootLine, MATE_SCORE, 1) for the drivers, except that the root
// position itself is never scored as a draw by repetition or the fifty-move rule: a game
// position that counts as drawn must still produce a move and a line.
int searchRoot(int depth, int alpha, int beta);

// The next time test reads the clock and runs the input hook, as at the start of every root
// search: a search that counts its nodes from the same start then stops at the same node.
void restartTimeTests();

// Whether the current position counts as drawn for the search (third occurrence, or the
// fifty-move limit unless the side to move is in check).
bool drawnForSearch();
