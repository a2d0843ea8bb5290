// Start-up: settings, the start position, the banner, then the mode the first line selects.
#include <cstdio>
#include <cstring>
#include <string>

#include "board/fen.h"
#include "frontend/engine_state.h"
#include "frontend/line_input.h"

namespace {

bool startsWith(const std::string& line, const char* word) {
    return line.compare(0, std::strlen(word), word) == 0;
}

// Reads mode lines until one selects a mode; returns the program's exit status.
int selectMode() {
    std::string line;
    while (readInputLine(line)) {
        std::fflush(stdout);
        if (line.empty()) continue;
        if (startsWith(line, "xboard")) {
            // The protocol loop joins here.
            continue;
        }
        if (startsWith(line, "quit")) return 0;
        if (startsWith(line, "cons")) {
            // The console loop joins here.
            continue;
        }
    }
    return 0;  // end of input before a mode was chosen
}

}  // namespace

int main() {
    gameState.gameOver = 0;
    gameState.engineSide = SIDE_NONE;
    setStartPosition();
    std::printf("tarlowick, a bitboard chess engine\n");
    std::printf("version 0.06\n");
    std::printf("enter 'console' for console mode...\n");
    return selectMode();
}
