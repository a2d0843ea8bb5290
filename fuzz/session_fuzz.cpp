// Whole sessions of fuzzed lines through one of the command loops (chosen at build time), with
// the search kept shallow and short: no crash, no hang, no illegal state left behind.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/castling.h"
#include "board/fen.h"
#include "frontend/console/console.h"
#include "frontend/input/line_input.h"
#include "frontend/uci/uci.h"
#include "frontend/xboard/xboard.h"
#include "fuzz/fuzz_support.h"
#include "search/root_moves.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// Commands whose cost grows with their argument (deep searches, the perft suite, long clocks,
// suites searched for seconds a position) or is large anyway (the search benchmark) are left
// out: the fuzzer looks for faults, not for slow inputs. So are the commands that write or read
// files under names the fuzzer makes up; the PGN reader has a target of its own. The settings
// commands can ask for the largest table or the deepest search.
bool expensive(const std::string& line) {
    for (const char* word : {"test", "bench", "perft", "divide", "sd", "st", "ini", "go depth", "go nodes",
                             "go movetime", "go wtime", "go btime", "go infinite", "epd", "pgn", "load", "annotate",
                             "option", "setoption", "memory"})
        if (line.rfind(word, 0) == 0) return true;
    return false;
}

std::string sessionFrom(const std::uint8_t* data, std::size_t size) {
    std::string session, line;
    for (std::size_t i = 0; i < size; ++i) {
        line.push_back(static_cast<char>(data[i]));
        if (data[i] == '\n' || i + 1 == size) {
            if (!expensive(line)) session += line;
            line.clear();
        }
    }
    return session;
}

// Standard input from a pipe that holds the whole session and then ends.
bool feedStandardInput(const std::string& session) {
    int ends[2];
    if (pipe(ends) != 0) return false;
    if (write(ends[1], session.data(), session.size()) != static_cast<ssize_t>(session.size())) std::abort();
    close(ends[1]);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
    return true;
}

void freshEngine() {
    engineSettings = EngineSettings{};
    engineSettings.maxDepth = 2;
    engineSettings.moveTime = 5;
    engineSettings.book = 0;
    engineSettings.postThinking = 1;
    gameState = GameState{};
    timeControl = TimeControl{};
    setStartPosition();
    chess960 = chess960Notation = castlingAsOO = false;
    allowAllRootMoves();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;  // the whole session must fit the pipe
    const std::string session = sessionFrom(data, size);
    freshEngine();
    if (!feedStandardInput(session)) return 0;
    TARLOWICK_SESSION_LOOP;
    std::fflush(stdout);
    // Whatever a "quit" left unread must not leak into the next session.
    std::string rest;
    while (readLine(rest) != LineRead::END) {
    }
    requireSaneRecord(*currentPosition);
    if (currentPosition < positionStack || stackIndex() >= MAX_GAME_RECORDS) std::abort();
    return 0;
}
