// Start-up: settings, the start position, the banner, then the mode the first line selects.
#include <cstdio>
#include <cstring>
#include <string>

#include "board/fen.h"
#include "frontend/console/console.h"
#include "frontend/input/command_table.h"
#include "frontend/settings/settings_loader.h"
#include "frontend/uci/uci.h"
#include "frontend/xboard/xboard.h"
#include "state/game_state.h"

namespace {

bool startsWith(const std::string& line, const char* word) {
    return line.compare(0, std::strlen(word), word) == 0;
}

// Reads mode lines until one selects a mode; returns the program's exit status. The end of
// input, or a last line without its line end, ends the program like "quit".
int selectMode() {
    std::string line;
    while (readCommandLine(line)) {
        // Standard output is buffered until a loop makes it unbuffered, so on a pipe the banner
        // leaves with this first flush, after the first line.
        std::fflush(stdout);
        if (line.empty()) continue;
        if (startsWith(line, "xboard")) {
            xboardLoop();
            if (gameState.quitRequested == 1) return 0;
            continue;
        }
        if (startsWith(line, "quit")) return 0;
        if (startsWith(line, "cons")) {
            consoleLoop();
            if (gameState.quitRequested == 1) return 0;
            continue;
        }
        if (startsWith(line, "uci")) {
            uciLoop(line);
            if (gameState.quitRequested == 1) return 0;
            continue;
        }
    }
    return 0;
}

}  // namespace

int main() {
    gameState.gameOver = 0;
    gameState.engineSide = SIDE_NONE;
    loadSettings(CONFIG_FILE_NAME);  // whatever it could read stays; the rest keeps its defaults
    setStartPosition();
    std::printf("tarlowick, a bitboard chess engine\n");
    std::printf("version 0.06\n");
    std::printf("enter 'console' for console mode...\n");
    return selectMode();
}
