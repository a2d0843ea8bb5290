// The engine's move: the time allowance, iterative deepening with an aspiration window, the
// announcement and the move made on the game's stack.
#pragma once

#include <cstdint>

#include "board/move.h"

// Sets timeControl.allocatedTime from the clocks and prints the allocation line.
void allocateTime();

// What a run of iterative deepening found.
struct DeepeningResult {
    Move bestMove;        // first move of the last iteration that ran to the end; 0 if none did
    int score;            // score of the last iteration run (stopped or not)
    int depth;            // depth of the last iteration run
    std::uint64_t nodes;  // nodeCount summed over every iteration and re-search
};

// Iterative deepening from depth 2 to `depthLimit` as the engine thinks: clears the tables,
// searches with a ±50 aspiration window (full-window re-search when it fails), stops on a mate
// score, the stop flag or the depth limit, and prints the mate and thinking lines.
DeepeningResult deepen(int depthLimit);

// Chooses, announces ("move %s"), logs and makes the engine's move. `buffer` (at least six
// characters) receives the move's text; it is left empty, and nothing is announced, when the
// position has no legal move or the stack has no room for the move. The caller sets
// searchStartTime = clockMs() beforehand.
void think(char* buffer);

// Whether the side to move has a legal move.
bool hasLegalMove();
