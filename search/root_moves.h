// Which root moves a search may play: every legal move (the default), or the set a front end
// chose (UCI's searchmoves, xboard's exclude and include). A multi-line search also passes over
// the first moves of the lines it has already found at the depth under way.
#pragma once

#include "board/move.h"
#include "board/position.h"
#include "movegen/movegen.h"

// The front end's choice, for the position it was made in.
struct RootMoveChoice {
    bool restricted = false;    // false: every legal move
    int count = 0;              // the moves allowed when restricted
    Move moves[MAX_MOVES] = {};
    int stackIndex = -1;        // the position the choice belongs to
    Position position{};
};
inline RootMoveChoice rootMoveChoice;

// Every legal move again (a new position, "include all").
void allowAllRootMoves();

// Restricts the current position's root moves to `count` moves of it (searchmoves).
void allowOnlyRootMoves(const Move* moves, int count);

// Takes `move` out of, or puts it back into, the current position's set ("exclude", "include");
// "exclude all" is allowOnlyRootMoves with no move.
void excludeRootMove(Move move);
void includeRootMove(Move move);

// The legal moves of the current position that the choice allows, in the order the move
// generator gives them; a choice made for another position allows them all.
int allowedRootMoves(Move* moves);

// What the root node of the running search passes over: the moves the choice leaves out and,
// in a multi-line search, the first moves of the lines found so far at this depth. Inactive
// (the default), the root searches exactly as a search without it.
struct RootSkip {
    bool active = false;
    int count = 0;
    Move moves[MAX_MOVES] = {};
};
inline RootSkip rootSkip;

inline bool skippedAtRoot(Move move) {
    for (int i = 0; i < rootSkip.count; ++i)
        if (rootSkip.moves[i] == move) return true;
    return false;
}

// Sets rootSkip to the legal moves of the current position that the choice leaves out (inactive
// when it leaves none out) and returns how many legal moves remain. A choice that would leave
// none is not applied: a search always has a move to give.
int startRootSkip();

// Back to searching every root move.
inline void endRootSkip() {
    rootSkip.active = false;
    rootSkip.count = 0;
}
