// Static evaluation: material plus piece-square tables, in centipawns for the side to move.
#pragma once

#include <array>
#include <cstdint>

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
