// The search benchmark: every position of bench/search_positions.h searched to its fixed depth
// by the engine's own iterative deepening, with the clock out of the way and no thinking
// output. The node total is fixed by the search's rules, a signature of the build; the time is
// the figure. The search_bench program and the console's "bench" command both run it.
#pragma once

#include <cstdint>

#include "bench/search_positions.h"
#include "search/driver.h"

// One position's search, handed to the caller's report as soon as it is done. The position
// searched is the current one while the report runs.
struct SearchBenchPositionResult {
    const SearchBenchPosition& position;
    int depth;  // the depth searched to
    DeepeningResult result;
    double seconds;
};
using SearchBenchReport = void (*)(const SearchBenchPositionResult&);

struct SearchBenchTotals {
    std::uint64_t nodes;  // nodeCount summed over every search
    double seconds;
};

// Runs the benchmark with every depth changed by `depthChange` (see searchBenchDepth). Leaves
// the game (the position stack), the settings, the clocks and the search's flags as it found
// them; only the tables hold the last search's entries, as after any search.
SearchBenchTotals runSearchBench(int depthChange, SearchBenchReport report = nullptr);
