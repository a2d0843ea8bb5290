// What the search needs from whoever runs it, installed from above: the front end reads its
// input through these, so the search itself never touches standard input.
#pragma once

#include <string>

// Called by the search every few thousand nodes while it runs, so that a front end can read
// input without a second thread; it may raise stopSearch. Null (the default): the search reads
// nothing and runs exactly as without it.
inline void (*searchPoll)() = nullptr;

// Where the stepping analysis (analyze) reads its line between iterations: blocks until a line
// arrives, false at the end of input. Null: no input, which ends the analysis after its first
// iteration.
inline bool (*analysisInput)(std::string& line) = nullptr;
