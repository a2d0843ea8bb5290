// EPD test suites: reading a line (four FEN fields, then operations such as bm, am and id)
// and searching each position with the engine's own driver.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct EpdLine {
    std::string fen;                       // the four fields, and the hmvc count when given
    std::vector<std::string> bestMoves;    // bm, in SAN
    std::vector<std::string> avoidMoves;   // am, in SAN
    std::string id;                        // empty when there is none
};

// Reads one EPD line. Operations are an opcode and operands (quoted strings may hold blanks
// and semicolons) ending with ";" (the line end may close the last one); opcodes other than
// bm, am, id and hmvc are skipped. Returns 1, or 0 with `error` saying what is wrong.
int readEpdLine(const std::string& text, EpdLine& line, std::string& error);

// Runs the suite in `file`: each readable position searched `seconds` seconds with the
// engine's iterative deepening (maxDepth as the depth limit), without thinking output and
// without playing the move. Prints one line per position (id or line number, the move in SAN,
// score, depth, "solved" or "not solved"), an error line with the line number for a line that
// cannot be used, and the total. The game, the settings and the clocks are left as they were.
void runEpdSuite(std::FILE* file, const char* name, int seconds);
