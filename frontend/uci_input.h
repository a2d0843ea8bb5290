// UCI input while the engine thinks and between searches. A search hands the loop no lines:
// "isready" is answered at once, "stop" and "quit" end the search, and every other line is kept
// and run, in order, once the search has answered.
#pragma once

#include <string>

// Starts taking input for a new search: no stop has been asked for yet.
void beginSearchInput();

// Reads every line that has arrived, without waiting, until one stops the search; the search
// calls it through the searchPoll hook. The end of input stops the search too.
void pollSearchInput();

// Blocks, reading lines as pollSearchInput does, until one stops the search or the input ends.
// For searches that must not answer by themselves ("go infinite").
void waitForStop();

// The UCI loop's next line: those kept during a search first, then standard input. Blanks and
// tabs between words are made single blanks, and those around the line dropped, so the command
// table sees one spelling of each command. False at the end of input, as readCommandLine.
bool nextUciLine(std::string& line);

// Makes runs of blanks and tabs single blanks and drops them at both ends of `line`.
void normalizeBlanks(std::string& line);
