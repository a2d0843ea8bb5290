// The console's "bench": the search benchmark from the console, its node total a signature a
// user can compare between machines and builds.
#pragma once

#include <string>

// "bench" searches the benchmark positions to their depths, "bench N" to N plies less (never
// below 4); prints the total nodes, the time and the nodes per second. The game and the
// settings stay as they were.
void benchCommand(const std::string& line);
