#include "frontend/input/search_input.h"

#include <deque>

#include "frontend/input/line_input.h"
#include "state/game_state.h"

namespace {

std::deque<std::string> keptLines;  // for the loop, in the order they arrived
SearchLineHandler currentHandler = nullptr;
SearchEnd endAsked = SearchEnd::NONE;
bool inputEnded = false;
std::size_t linesAhead = 0;  // arrived before the search began, still to be kept
bool endAhead = false;       // the end of input was found before the search began

// One line read during a search. At the end of input (or a last line it cut off) the search is
// abandoned and the loop finds the end itself.
void readSearchLine(SearchLineHandler handler) {
    std::string line;
    if (!readCommandLine(line)) {
        inputEnded = true;
        if (!endAhead) askSearchEnd(SearchEnd::ABANDON);
        return;
    }
    if (linesAhead > 0) {
        --linesAhead;
        keepLine(line);
        return;
    }
    switch (handler(line)) {
        case DuringSearch::ANSWERED: break;
        case DuringSearch::KEEP: keepLine(line); break;
        case DuringSearch::STOP: askSearchEnd(SearchEnd::STOP); break;
        case DuringSearch::ABANDON:
            keepLine(line);
            askSearchEnd(SearchEnd::ABANDON);
            break;
    }
}

}  // namespace

void resetSearchInput() {
    keptLines.clear();
    inputEnded = false;
    endAsked = SearchEnd::NONE;
    linesAhead = 0;
    endAhead = false;
}

DuringSearch handleWithTable(std::span<const SearchLineRow> table, const std::string& line) {
    for (const SearchLineRow& row : table)
        if (lineMatches(row.word, row.match, line)) return row.action(line);
    return table.back().action(line);
}

void beginSearchInput(SearchLineHandler handler, bool aheadWaits) {
    currentHandler = handler;
    endAsked = SearchEnd::NONE;
    linesAhead = 0;
    endAhead = false;
    if (aheadWaits) linesAhead = linesWaiting(endAhead);
}

void askSearchEnd(SearchEnd end) {
    // An abandon is never turned back into a stop that would play the move.
    if (endAsked != SearchEnd::ABANDON) endAsked = end;
    gameState.stopSearch = 1;
}

SearchEnd searchEndAsked() { return endAsked; }

void pollSearchInput() {
    while (endAsked == SearchEnd::NONE && !inputEnded && inputLineReady()) readSearchLine(currentHandler);
    if (endAsked != SearchEnd::NONE) gameState.stopSearch = 1;
}

void waitForSearchEnd() {
    while (endAsked == SearchEnd::NONE && !inputEnded) readSearchLine(currentHandler);
}

void takeOneLine(SearchLineHandler handler) {
    if (!inputEnded) readSearchLine(handler);
}

void keepLine(const std::string& line) { keptLines.push_back(line); }

bool takeKeptLine(std::string& line) {
    if (keptLines.empty()) return false;
    line = keptLines.front();
    keptLines.pop_front();
    return true;
}

bool searchInputEnded() { return inputEnded; }

bool nextCommandLine(std::string& line) {
    if (takeKeptLine(line)) return true;
    return !inputEnded && readCommandLine(line);
}

bool lineWaiting() { return !keptLines.empty() || inputEnded || inputLineReady(); }
