#include "frontend/uci_input.h"

#include <cstdio>
#include <deque>

#include "frontend/command_table.h"
#include "frontend/engine_state.h"
#include "frontend/line_input.h"

namespace {

std::deque<std::string> keptLines;  // arrived during a search, for the loop
bool stopAsked = false;             // this search has read "stop" or "quit", or the input ended

void stopSearch() {
    stopAsked = true;
    gameState.stopSearch = 1;
}

// One line read while searching.
void takeSearchLine(std::string& line) {
    normalizeBlanks(line);
    if (line == "isready") {
        std::printf("readyok\n");
        std::fflush(stdout);
    } else if (line == "stop") {
        stopSearch();
    } else if (line == "quit") {
        stopSearch();
        keptLines.push_back(line);  // the loop quits once the search has answered
    } else if (line != "ponderhit") {  // the engine never ponders: nothing to hit
        keptLines.push_back(line);
    }
}

// Reads one line; at the end of input (or a last line it cut off) the search stops and the loop
// will find the end itself.
void readSearchLine() {
    std::string line;
    if (readCommandLine(line))
        takeSearchLine(line);
    else
        stopSearch();
}

}  // namespace

void beginSearchInput() { stopAsked = false; }

void pollSearchInput() {
    while (!stopAsked && inputLineReady()) readSearchLine();
}

void waitForStop() {
    while (!stopAsked) readSearchLine();
}

bool nextUciLine(std::string& line) {
    if (!keptLines.empty()) {
        line = keptLines.front();
        keptLines.pop_front();
        return true;
    }
    if (!readCommandLine(line)) return false;
    normalizeBlanks(line);
    return true;
}

void normalizeBlanks(std::string& line) {
    std::string words;
    bool blank = false;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            blank = !words.empty();
            continue;
        }
        if (blank) words.push_back(' ');
        blank = false;
        words.push_back(c);
    }
    line.swap(words);
}
