#include "search/evaluate.h"

#include "board/bitboard.h"
#include "board/position.h"

namespace {

// Sums the pieces of one type and side; `mirror` is 56 for the opponent, whose pieces are read
// from its own side of the board.
inline int sumPieces(const SquareTable& table, Bitboard pieces, int mirror) {
    int sum = 0;
    for (; pieces; pieces = withoutLowest(pieces)) sum += table[lowestSquare(pieces) ^ mirror];
    return sum;
}

}  // namespace

int materialScore(const Position& p) {
    using detail::pieceSquareValues;
    const Bitboard own = p.ownPieces, theirs = occupiedSquares(p) ^ own;
    const Bitboard byType[5] = {pawnsOf(p), knightsOf(p), bishopsOf(p), rooksOf(p), queensOf(p)};
    int score = 0;
    for (int t = 0; t < 5; ++t) {
        score += sumPieces(pieceSquareValues[PAWN + t], byType[t] & own, 0);
        score -= sumPieces(pieceSquareValues[PAWN + t], byType[t] & theirs, 56);
    }
    return score;
}

int evaluate() {
    const Position& p = *currentPosition;
    return materialScore(p) + kingScore(p);
}
