// The engine's move: the time allowance, iterative deepening with an aspiration window, the
// announcement and the move made on the game's stack.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "search/alphabeta.h"

// The time this move may use under the allocation rule, from timeLeft, opponentTimeLeft,
// increment and suddenDeath; sets and prints nothing.
std::int32_t timeAllowance();

// Sets timeControl.allocatedTime to timeAllowance() and prints the allocation line.
void allocateTime();

// What a run of iterative deepening found.
struct DeepeningResult {
    Move bestMove;        // first move of the last iteration that ran to the end; 0 if none did
    int score;            // score of the last iteration run (stopped or not)
    int depth;            // depth of the last iteration run
    std::uint64_t nodes;  // nodeCount summed over every iteration and re-search
    PvLine line;          // the line of the iteration that gave bestMove; empty if none did
};

// One root search of the deepening, handed to its report as soon as it returns.
struct Iteration {
    int depth;
    int score;
    int alpha, beta;           // the window it was searched with
    bool stopped;              // the stop flag ended it: its score and line are not to be used
    std::uint64_t totalNodes;  // nodeCount summed over this and every earlier root search
    const PvLine* line = &rootLine;  // its principal variation
    int multiPv = 1;                 // which line of a multi-line search, 1 the best
    int lines = 1;                   // how many lines this depth reports
    bool multiLine = false;          // the MultiPV setting asks for several lines
};

// The most lines a search reports at once.
inline constexpr int MAX_PV_LINES = 256;

// Nodes of the root searches of the running deepening that have returned; with nodeCount, the
// nodes searched so far.
inline std::uint64_t completedRootNodes = 0;

using IterationReport = void (*)(const Iteration&);

// The engine's own thinking output: the mate line on a mate score, else the thinking line when
// postThinking is on and the iteration ran to the end.
void printIteration(const Iteration& iteration);

// Iterative deepening from depth 2 to `depthLimit` as the engine thinks: clears the tables,
// searches with a ±50 aspiration window (full-window re-search when it fails) and stops on a
// mate score, the stop flag or the depth limit. Only the root moves the front end's choice
// allows are searched (root_moves.h). Every root search is handed to `report`.
//
// With the MultiPV setting at N > 1, each depth finds the best N allowed moves (fewer when
// fewer are allowed): line k is searched without the first moves of lines 1 to k - 1, each
// line with its own window. Once all are found, they are handed to `report` together, best
// first; a depth the stop flag cuts short reports nothing. The move given is line 1's.
DeepeningResult deepen(int depthLimit, IterationReport report = printIteration);

// The move to play when no iteration ran to the end: a one-ply search without the time test on
// fresh tables. 0 only when there is no legal move.
Move emergencyMove();

// The same search with what it found: the move, its score and line, depth 1.
DeepeningResult emergencySearch();

// The move to play after `result`: its best move, else the emergency move (0 only when there is
// no legal move).
Move moveToPlay(const DeepeningResult& result);

// The reply `result` expects to the move it gives: the second move of its line, or 0.
Move expectedReply(const DeepeningResult& result);

// Announces ("move %s"), logs and makes the engine's move, its text going into `buffer` (at
// least six characters). Nothing happens, and `buffer` is left empty, when `move` is 0 or the
// stack has no room for it.
void playEngineMove(Move move, char* buffer);

// Chooses, announces ("move %s"), logs and makes the engine's move. `buffer` (at least six
// characters) receives the move's text; it is left empty, and nothing is announced, when the
// position has no legal move or the stack has no room for the move. The caller sets
// searchStartTime = clockMs() beforehand.
void think(char* buffer);

// Whether the side to move has a legal move.
bool hasLegalMove();
