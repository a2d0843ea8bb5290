// The UCI protocol loop, the mode a line beginning with "uci" selects.
#pragma once

#include <string>

// Runs the loop, beginning with `firstLine`, the line that selected it, until "quit" or the
// end of input; then sets quitRequested.
void uciLoop(const std::string& firstLine);
