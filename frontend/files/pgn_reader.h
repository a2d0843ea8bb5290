// Reading one game out of a PGN file: its tags and the moves of its main line. Comments
// ({...} and ; to the line end), NAGs ($n) and variations ((...), nested) are kept as the text
// they were written in, beside the main-line move they follow, for an annotator to write back;
// playing the game passes over them. Move numbers ("12.", "12..."), "e.p." marks, the result and
// escape lines (% in the first column) are read and skipped as the PGN standard says. Files as they circulate are read too: a byte order mark,
// CR LF line ends, check signs and "!?" set apart from their move, moves in long algebraic
// (e2-e4, Ng1-f3, e2e4) or with lowercase piece letters (nf3).
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "board/move.h"

struct PgnMove {
    std::string san;
    int line;  // where it stands in the file
    // What follows it up to the next main-line move, one element each: a comment with its
    // braces ("{good}") or its semicolon (";good", without the line end), a NAG ("$1"), a whole
    // variation with its parentheses and everything inside as written, or "!", "?" and their
    // pairs set apart from the move. Carriage returns are dropped.
    std::vector<std::string> annotations{};
};

struct PgnGame {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<PgnMove> moves;  // the main line only
    std::vector<std::string> leadingAnnotations;  // as PgnMove::annotations, before the first move
    std::string result;          // its termination marker; empty when the game had none
    bool lowercasePieces = false;  // some move has a piece letter in lowercase (nf3, qxd5)
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

// A move as game files and test suites write it, read against the current position: SAN (as
// readSan takes it), long algebraic with or without the piece letter (e2-e4, Ng1-f3, Ng1xf3,
// e2e4, e7e8q), castling as "o-o", and a lowercase piece letter where the text names no pawn
// move (nf3, bb5). In a game written with lowercase pieces, a "b" text that names both a pawn
// and a bishop move (bxc6) is refused as ambiguous. Returns 1 with `move` set, or 0.
int readMoveText(const std::string& text, bool lowercasePieces, Move& move);

// readMoveText of a move of `game`, then the move is made. Returns 1, or 0 with the stack unchanged.
int playPgnMove(const PgnGame& game, const PgnMove& move);
