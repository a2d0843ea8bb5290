// Reading one game out of a PGN file: its tags and the SAN moves of its main line. Comments
// ({...} and ; to the line end), NAGs ($n), variations ((...), nested), move numbers ("12.",
// "12..."), "e.p." marks, the result and escape lines (% in the first column) are read and
// skipped as the PGN standard says.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct PgnMove {
    std::string san;
    int line;  // where it stands in the file
};

struct PgnGame {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<PgnMove> moves;  // the main line only
    std::string result;          // its termination marker; empty when the game had none
};

// Results of readPgnGame.
inline constexpr int PGN_NO_SUCH_GAME = 0;
inline constexpr int PGN_GAME_READ = 1;
inline constexpr int PGN_BAD_GAME = 2;  // the game is there but its text breaks the format

// Reads game `number` (1 for the first) of `file` from its current place into `game`. A game is
// a tag section and movetext up to its result; a new tag section after movetext, or the end of
// the file, also ends one. PGN_BAD_GAME comes with `error` naming the line and the fault; faults
// in the games before it do not matter as long as the games can still be told apart.
int readPgnGame(std::FILE* file, int number, PgnGame& game, std::string& error);

// The value of tag `name`, or null.
const std::string* findTag(const PgnGame& game, const char* name);
