// Static evaluation: material plus piece-square tables, in centipawns for the side to move.
#pragma once

#include <array>
#include <cstdint>

#include "board/castling.h"
#include "board/move.h"
#include "board/position.h"

using SquareTable = std::array<std::int32_t, 64>;

// Material by piece type (0 empty .. 6 king). The king's 10000 only serves exchange counting;
// the evaluation gives the king no material.
inline constexpr std::array<std::int32_t, 7> pieceValue = {0, 100, 300, 300, 500, 950, 10000};

namespace detail {
// The tables below are written as a board seen by their owner, rank 8 first, so they read like
// a diagram; this turns such a listing into square order (0 = a1 of the owner).
constexpr SquareTable fromDiagram(const SquareTable& rows) {
    SquareTable squares{};
    for (int s = 0; s < 64; ++s) squares[s] = rows[s ^ 56];
    return squares;
}
}  // namespace detail

// Indexed by square as seen from the side owning the piece: 0 = a1, 7 = h1, 63 = h8.
inline constexpr SquareTable pawnSquareTable = detail::fromDiagram({
     0,  0,  0,  0,  0,  0,  0,  0,
    60, 60, 60, 60, 60, 60, 60, 60,
    25, 25, 25, 30, 30, 15, 15, 15,
    10, 10, 10, 50, 50,  6,  6,  6,
     6,  6,  6, 12, 12,  2,  2,  2,
     3,  3,  3,  4,  4,  1,  1,  1,
     0,  0,  0, -2, -2,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
});

inline constexpr SquareTable knightSquareTable = detail::fromDiagram({
    -5, -5,  0,  0,  0,  0, -5, -5,
    -5,  0, 10, 10, 10, 10,  0, -5,
     0, 10, 15, 15, 15, 15, 10,  0,
     0, 10, 15, 20, 20, 15, 10,  0,
     0, 10, 15, 20, 20, 15, 10,  0,
     0, 10, 15, 15, 15, 15, 10,  0,
    -5,  0, 10, 10, 10, 10,  0, -5,
    -5, -5,  0,  0,  0,  0, -5, -5,
});

inline constexpr SquareTable bishopSquareTable = detail::fromDiagram({
    -5, -5,  0,  0,  0,  0, -5, -5,
    -5,  0, 10, 10, 10, 10,  0, -5,
    -5, 10, 15, 15, 15, 15, 10, -5,
    -5, 10, 15, 20, 20, 15, 10, -5,
    -5, 10, 15, 20, 20, 15, 10, -5,
    -5, 10, 15, 15, 15, 15, 10, -5,
    -5,  0, 10, 10, 10, 10,  0, -5,
    -5, -5,  0,  0,  0,  0, -5, -5,
});

inline constexpr SquareTable rookSquareTable = detail::fromDiagram({
    10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 10, 10, 10, 10, 10, 10,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0, 10, 10,  0,  0,  0,
     0,  0,  0, 10, 10,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0, -5, -5,  0,  0,  0, -5,  0,
});

inline constexpr SquareTable queenSquareTable = detail::fromDiagram({
    -4, -4, -4, -4, -4, -4, -4, -4,
    -4,  0,  0,  0,  0,  0,  0, -4,
    -4,  0,  4,  4,  4,  4,  0, -4,
    -4,  0,  4,  8,  8,  4,  0, -4,
    -4,  0,  4,  8,  8,  4,  0, -4,
    -4,  0,  4,  4,  4,  4,  0, -4,
    -4,  0,  0,  0,  0,  0,  0, -4,
    -4, -4,  0,  4,  0,  0, -4, -4,
});

inline constexpr SquareTable kingMiddleTable = detail::fromDiagram({
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5, -5, 20,-10,  0,-10, 30, -5,
});

inline constexpr SquareTable kingEndTable = detail::fromDiagram({
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  5,  5,  5,  5,  5,  5,  0,
     0,  5, 10, 10, 10, 10,  5,  0,
     0,  5, 10, 15, 15, 10,  5,  0,
     0,  5, 10, 15, 15, 10,  5,  0,
     0,  5, 10, 10, 10, 10,  5,  0,
     0,  5,  5,  5,  5,  5,  5,  0,
     0,  0, -5,  0,  0,  0, -5,  0,
});

// Score of the current position for the side to move; the record is only read.
int evaluate();

// The same score in two parts, evaluate() == materialScore(p) + kingScore(p): the pieces other
// than the kings, which a move changes only on the squares it touches, and the two kings, whose
// blend hangs on the number of pieces left.
int materialScore(const Position& p);
inline int kingScore(const Position& p);

namespace detail {
// Material and square value folded into one lookup per piece type; empty squares and kings 0.
constexpr std::array<SquareTable, 8> makePieceSquareValues() {
    constexpr const SquareTable* tables[5] = {&pawnSquareTable, &knightSquareTable, &bishopSquareTable,
                                              &rookSquareTable, &queenSquareTable};
    std::array<SquareTable, 8> values{};
    for (int t = PAWN; t <= QUEEN; ++t)
        for (int s = 0; s < 64; ++s) values[t][s] = pieceValue[t] + (*tables[t - PAWN])[s];
    return values;
}
inline constexpr std::array<SquareTable, 8> pieceSquareValues = makePieceSquareValues();

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
}  // namespace detail

inline int kingScore(const Position& p) {
    const Bitboard occupied = occupiedSquares(p);
    const int pieceCount = popCount(occupied);
    const Bitboard kings = kingsOf(p), own = p.ownPieces;
    return detail::sumKings(kings & own, 0, pieceCount) - detail::sumKings(kings & (occupied ^ own), 56, pieceCount);
}

// What materialAfter gives for a move whose result it does not work out.
inline constexpr int UNKNOWN_MATERIAL = INT32_MIN;

// materialScore of the position `move` leads to, for its side to move, from `material`, the
// materialScore of `before`; for every move the generators produce in `before`. En passant is
// left out (after a null move its file may be stale, and the capture then takes no pawn, or
// changes whatever stands there), and so is a record that such a capture has left with an own
// piece on an empty square: for those the answer is UNKNOWN_MATERIAL.
inline int materialAfter(int material, const Position& before, Move move) {
    using detail::pieceSquareValues;
    const std::uint32_t kind = moveKind(move);
    if (kind == EN_PASSANT || (before.ownPieces & ~occupiedSquares(before)) != 0) return UNKNOWN_MATERIAL;
    const int from = moveFrom(move), to = moveTo(move);
    const int type = static_cast<int>(kind & 7);
    // The opponent's piece on `to` leaves the board (read from its own side, like evaluate).
    if (kind & 8) material += pieceSquareValues[pieceTypeAt(before, to)][to ^ 56];
    if (kind < PROMOTION) {
        material += pieceSquareValues[type][to] - pieceSquareValues[type][from];  // kings add 0
    } else if (kind == PROMOTION || kind == PROMOTION_CAPTURE) {
        material += pieceSquareValues[movePromotion(move) & 7][to] - pieceSquareValues[PAWN][from];
    } else if (kind == CASTLE_SHORT || kind == CASTLE_LONG) {
        // The rook from the setup's square to f1 or d1.
        const int right = kind == CASTLE_SHORT ? SHORT_CASTLING : LONG_CASTLING;
        const int rookFrom = castling.side[before.sideToMove].rookFrom[right];
        material += pieceSquareValues[ROOK][right == SHORT_CASTLING ? 5 : 3] - pieceSquareValues[ROOK][rookFrom];
    } else {
        return UNKNOWN_MATERIAL;
    }
    return -material;  // the new record is seen from the opponent
}
