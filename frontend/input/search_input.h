// Input while the engine searches, for every loop: the search's hook reads the lines that have
// arrived and hands each to the loop's handler, which answers it at once, keeps it for the loop,
// or ends the search. The loop then reads the kept lines, in order, before standard input.
// Thinking on a move, pondering and analysis all read their input this way.
#pragma once

#include <span>
#include <string>

#include "frontend/input/command_table.h"

// A loop begins: no line is kept and the input has not been found to end.
void resetSearchInput();

// What a handler made of a line that arrived during a search.
enum class DuringSearch {
    ANSWERED,  // dealt with at once; the search goes on
    KEEP,      // for the loop once the search is over; the search goes on
    STOP,      // ends the search, which still gives its move (move now, UCI stop); line consumed
    ABANDON,   // ends the search without its move, and the line goes to the loop next
};

using SearchLineHandler = DuringSearch (*)(const std::string& line);

// How the running or last search was asked to end.
enum class SearchEnd {
    NONE,     // not asked: it ends by itself
    STOP,     // with its move
    ABANDON,  // without it; the input's end asks this too
};

// A row of a handler's table: the lines it matches, as in the loops' tables, and what it does.
struct SearchLineRow {
    const char* word;
    Match match;
    DuringSearch (*action)(const std::string& line);
};

// The first row of `table` that matches, run on the line; the table ends with a Match::ANY row.
DuringSearch handleWithTable(std::span<const SearchLineRow> table, const std::string& line);

// Starts taking input for a new search: no end asked for yet, lines go to `handler`. With
// `aheadWaits`, the lines that had already arrived when the search began are kept for the loop
// whatever they say, and an end of input already found does not end the search: they were sent
// before the engine was known to be thinking, as a script sends them, and are meant for after
// its move.
void beginSearchInput(SearchLineHandler handler, bool aheadWaits = false);

// Reads every line that has arrived, without waiting, until one ends the search; the search
// calls it through the searchPoll hook. Raises stopSearch while an end is asked for.
void pollSearchInput();

// Blocks reading lines, as pollSearchInput does, until one ends the search or the input ends.
// For a search that has ended by itself but must not answer yet.
void waitForSearchEnd();

// Blocks until one line has been read and handed to `handler` (or the input has ended).
void takeOneLine(SearchLineHandler handler);

SearchEnd searchEndAsked();

// Asks the running search to end, as a handler's STOP or ABANDON would.
void askSearchEnd(SearchEnd end);

// Keeps a line for the loop, after those already kept.
void keepLine(const std::string& line);

// Hands out the first kept line; false when none is kept.
bool takeKeptLine(std::string& line);

// Whether a read during a search found the end of input (or a last line it cut off).
bool searchInputEnded();

// The loop's next line: those kept during a search first, then standard input. As
// readCommandLine: false at the end of input, also when a search found it.
bool nextCommandLine(std::string& line);

// Whether a kept line is waiting, or a line has arrived (or the input has ended). Never blocks.
bool lineWaiting();
