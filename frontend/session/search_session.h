// One search as every loop runs it: under a record of limits, reading input meanwhile through
// the loop's handler. Thinking on a move, pondering, analysis and UCI's go all come through here;
// a ponder hit only changes the limits of the search that is running.
#pragma once

#include <cstdint>

#include "frontend/input/search_input.h"
#include "search/driver.h"

// What bounds a search; centiseconds.
struct SearchLimits {
    int depth;                   // deepest iteration
    std::int32_t moveTime;       // hard limit: engineSettings.moveTime while searching
    std::int32_t allocatedTime;  // the allowance: timeControl.allocatedTime
    std::uint32_t nodes;         // 0: no limit
};

inline constexpr std::int32_t NO_TIME_LIMIT = INT32_MAX;

// A search bounded by its depth alone (pondering, analysis, UCI's infinite).
constexpr SearchLimits unlimitedSearch(int depth) { return SearchLimits{depth, NO_TIME_LIMIT, NO_TIME_LIMIT, 0}; }

// Iterative deepening of the current position under `limits`, every root search handed to
// `report`, while the lines that arrive go to `handler`. The clock runs from searchStartTime,
// which the caller sets; the move-time setting is put back afterwards. `aheadWaits` as for
// beginSearchInput.
DeepeningResult searchWithInput(const SearchLimits& limits, SearchLineHandler handler, IterationReport report,
                                bool aheadWaits = false);

// The running search is bounded by `limits` from now on, its clock starting now.
void startSearchClock(const SearchLimits& limits);

// Whether searchWithInput is running (a handler is called from inside it, or from a wait after it).
bool searchRunning();

// The running search, or the last one, as the protocol's status line tells it.
struct SearchStatus {
    std::int32_t elapsed;  // centiseconds since searchStartTime
    std::uint64_t nodes;   // over every root search so far
    int depth;             // of the iteration under way
    int movesLeft;         // root moves it has still to search
    int movesTotal;        // legal root moves
};
SearchStatus searchStatus();

// Runs `look` with the searched position as the current one, so that a handler can look at it
// while the search is somewhere down its tree; `look` must leave the stack as it found it.
void atSearchRoot(void (*look)());

// The line of the last iteration that ran to the end in the running or last search; empty
// when none has.
const PvLine& lastFinishedLine();
