#include "search/evaluate.h"

#include "board/bitboard.h"
#include "board/position.h"

namespace {

// Material and square value folded into one lookup per piece, pawn to queen.
constexpr std::array<SquareTable, 5> makePieceSquareValues() {
    constexpr const SquareTable* tables[5] = {&pawnSquareTable, &knightSquareTable, &bishopSquareTable,
                                              &rookSquareTable, &queenSquareTable};
    std::array<SquareTable, 5> values{};
    for (int t = 0; t < 5; ++t)
        for (int s = 0; s < 64; ++s) values[t][s] = pieceValue[PAWN + t] + (*tables[t])[s];
    return values;
}
constexpr std::array<SquareTable, 5> pieceSquareValues = makePieceSquareValues();

// Sums the pieces of one type and side; `mirror` is 56 for the opponent, whose pieces are read
// from its own side of the board.
inline int sumPieces(const SquareTable& table, Bitboard pieces, int mirror) {
    int sum = 0;
    for (; pieces; pieces = withoutLowest(pieces)) sum += table[lowestSquare(pieces) ^ mirror];
    return sum;
}

// The king's square value, blended from the middle-game table (all 32 pieces on the board) to
// the end-game table (few pieces). The shift rounds toward minus infinity, as intended.
inline int sumKings(Bitboard kings, int mirror, int pieceCount) {
    int sum = 0;
    for (; kings; kings = withoutLowest(kings)) {
        const int s = lowestSquare(kings) ^ mirror;
        sum += (pieceCount * kingMiddleTable[s] + (32 - pieceCount) * kingEndTable[s]) >> 5;
    }
    return sum;
}

}  // namespace

int evaluate() {
    const Position& p = *currentPosition;
    const Bitboard occupied = occupiedSquares(p);
    const int pieceCount = popCount(occupied);
    const Bitboard own = p.ownPieces, theirs = occupied ^ own;
    const Bitboard byType[5] = {pawnsOf(p), knightsOf(p), bishopsOf(p), rooksOf(p), queensOf(p)};

    int score = 0;
    for (int t = 0; t < 5; ++t) {
        score += sumPieces(pieceSquareValues[t], byType[t] & own, 0);
        score -= sumPieces(pieceSquareValues[t], byType[t] & theirs, 56);
    }
    const Bitboard kings = kingsOf(p);
    score += sumKings(kings & own, 0, pieceCount);
    score -= sumKings(kings & theirs, 56, pieceCount);
    return score;
}
