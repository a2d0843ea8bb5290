// Reviewing a game from a PGN file with the engine's own search: every move scored against the
// engine's best, inaccuracies, mistakes and blunders marked with their NAGs and the better line,
// and the game written back as PGN with its own comments and variations kept.
#pragma once

#include <string>

// NAGs of the marks, as PGN numbers them.
inline constexpr int NAG_NONE = 0;
inline constexpr int NAG_INACCURACY = 6;  // ?!
inline constexpr int NAG_MISTAKE = 2;     // ?
inline constexpr int NAG_BLUNDER = 4;     // ??

// The mark a move gets, from the best move's score and the played move's, both from the
// mover's side in the search's units (centipawns, MATE_SCORE - ply for a mate). Ordinary scores
// are judged by the winning chances lost (winningChances: 100, 200 and 300 thousandths for an
// inaccuracy, a mistake and a blunder). A forced mate given away, or one let in where there was
// none, is a blunder; a slower mate than the best, or a quicker loss to one, an inaccuracy.
int judgeMove(int bestScore, int playedScore);

// The side to move's winning chances at `centipawns`, in thousandths from -1000 (lost) to 1000
// (won), on the logistic curve most online annotators use; scores are held to ±1000 first.
int winningChances(int centipawns);

// The centipawns a move lost, for the average: both scores held to ±1000 (a mate counts as
// 1000), never below 0.
int centipawnLoss(int bestScore, int playedScore);

// A score of the side that moved (`whiteMoved`) written from White's side as annotators write
// it: pawns with two decimals and a sign ("+0.35", "-1.20", "0.00"), or a mate as "#N" (White
// mates in N moves) or "-#N" (Black does). N counts as the search before the move reports it:
// the mating side's moves, its own move counted when it is the one that moved.
std::string annotatedScore(int score, bool whiteMoved);

// Where "annotate" writes by default: "-annotated" before the file's extension
// ("games.pgn" to "games-annotated.pgn"), or after the name when it has none.
std::string annotatedFileName(const std::string& file);

// The console's "annotate FILE [N] [SECONDS] [OUT]": game N (1) of FILE, each position searched
// SECONDS (1; decimals such as 0.2 allowed), appended as PGN to OUT (annotatedFileName(FILE)).
// Prints a line per move and where the game went. A missing file, no game N, an illegal move or
// an output that cannot be written is named in an error line, and nothing is written. The game
// on the stack, the settings and the clocks are left as they were.
void annotateCommand(const std::string& line);
