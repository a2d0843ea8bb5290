// "go" in the UCI loop: the limits it sets, the search under them with an "info" line per
// iteration, and the "bestmove" answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/session/search_session.h"

// What a "go" line asks for; a word that was not sent stays empty. Times in milliseconds, as on
// the wire.
struct GoCommand {
    std::optional<std::int32_t> wtime, btime, winc, binc, movesToGo, moveTime, depth, nodes;
    bool infinite = false;
    bool ponder = false;  // search the position, the clock limits waiting for "ponderhit"
    std::vector<std::string> searchMoves;  // only these root moves, as sent; empty: all
};

// Reads the words after "go"; unknown words are skipped, as the protocol asks. Returns the
// first word whose number could not be read (its value is then left out), or "".
std::string readGo(const char* text, GoCommand& go);

// The limits of a search under `go` for the side to move. The hard limit is the go's move time,
// else the MaxTime setting. When `go` carries the mover's clock, the TimeControl clocks are set
// from the go's clocks (less the short-clock reserve) and the allowance is the engine's
// allocation rule; movestogo is kept in movesPerControl, which that rule does not read.
// "infinite" lifts the time limits.
SearchLimits searchLimits(const GoCommand& go);

// Answers `go` in the current position: a book move at once (when the book is on and none of
// "infinite", "ponder" and "searchmoves" was asked), else the search (of the searchmoves only,
// when they name legal moves; a move that is not one is reported and left out), then "bestmove", with "ponder" and the
// reply it expects when its line has one; "bestmove 0000" when there is no legal move. Input is
// read meanwhile (search_input.h): "stop" answers at once. "infinite" and "ponder" answer only
// after "stop", or for "ponder" after "ponderhit", which turns the search into one under the
// go's clock limits counted from then. The game position is left as it was.
void runGo(const GoCommand& go);
