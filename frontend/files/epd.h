// EPD test suites: reading a line (four FEN fields, then operations such as bm, am and id)
// and searching each position with the engine's own driver.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct EpdLine {
    std::string fen;                       // the four fields, then the move counts when given
    std::vector<std::string> bestMoves;    // bm, as written (SAN or long algebraic)
    std::vector<std::string> avoidMoves;   // am, as written
    std::string id;                        // empty when there is none
};

// Reads one EPD line. Operations are an opcode and operands (quoted strings may hold blanks
// and semicolons) ending with ";" (the line end may close the last one); opcodes other than
// bm, am, id, hmvc and fmvn are skipped. Suites as they circulate are read too: the move counts
// of a six-field FEN after the four fields, empty operations (a stray ";"), check signs set
// apart from their move (Qd1 +), commas between moves, tabs and CR LF. Returns 1, or 0 with
// `error` saying what is wrong.
int readEpdLine(const std::string& text, EpdLine& line, std::string& error);

// Runs the suite in `file`: each readable position searched `seconds` seconds with the
// engine's iterative deepening (maxDepth as the depth limit), without thinking output and
// without playing the move. Prints one line per position (id or line number, the move in SAN,
// score, depth, "solved" or "not solved"), an error line with the line number for a line that
// cannot be used, and the total. The game, the settings and the clocks are left as they were.
void runEpdSuite(std::FILE* file, const char* name, int seconds);
