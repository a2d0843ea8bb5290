// The game on the stack written as a PGN game.
#pragma once

#include <string>
#include <vector>

#include "board/move.h"

// The moves of the game, recovered from the stack's records: each move is the legal move of one
// record that leads to the next. A record no move leads to (a debugging command loads its
// position into the current record) starts the game afresh there.
struct GameMoves {
    int firstRecord = 0;      // the record the moves start from
    std::vector<Move> moves;  // from firstRecord up to the current record
};

// The stack is left exactly as it was.
GameMoves recoverGameMoves();

// The players' names for the White and Black tags; "?" where unknown.
struct PgnPlayers {
    const char* white;
    const char* black;
};

// The whole game as one PGN game: the seven tag roster (Event, Site and Round unknown, Date
// `date`), SetUp and FEN when it does not start from the initial position, the moves in SAN with
// move numbers in lines of at most 79 characters, the game-end reason as a comment and the result
// from the game-end test ("*" while the game goes on), then a blank line. The stack is unchanged.
std::string gameAsPgn(const PgnPlayers& players, const std::string& date);

// Today's date in PGN's form, YYYY.MM.DD (local time).
std::string todayForPgn();

// Appends `text` to the file at `path`. Returns 1, or 0 with `error` saying why not.
int appendToFile(const char* path, const std::string& text, std::string& error);
