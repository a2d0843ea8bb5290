// Attack sets and the two king-attack questions asked at every node.
#pragma once

#include <array>

#include "board/bitboard.h"
#include "board/position.h"

namespace detail {
constexpr Bitboard stepTargets(int square, const int (*steps)[2], int count) {
    Bitboard set = 0;
    const int rank = square / 8, file = square % 8;
    for (int i = 0; i < count; ++i) {
        const int r = rank + steps[i][0], f = file + steps[i][1];
        if (r >= 0 && r < 8 && f >= 0 && f < 8) set |= squareBit(8 * r + f);
    }
    return set;
}
constexpr std::array<Bitboard, 64> stepTable(const int (*steps)[2], int count) {
    std::array<Bitboard, 64> table{};
    for (int s = 0; s < 64; ++s) table[s] = stepTargets(s, steps, count);
    return table;
}
inline constexpr int KING_STEPS[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
inline constexpr int KNIGHT_STEPS[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
}  // namespace detail

inline constexpr std::array<Bitboard, 64> kingAttacks = detail::stepTable(detail::KING_STEPS, 8);
inline constexpr std::array<Bitboard, 64> knightAttacks = detail::stepTable(detail::KNIGHT_STEPS, 8);

// Rank and file through a square up to the board's edges: one nearest-blocker scan per ray,
// each ray's scan kept inside its line by a sentinel edge that is always set.
constexpr Bitboard rookAttacks(int square, Bitboard occupancy) {
    const Bitboard bit = squareBit(square);
    if (!(occupancy & bit)) return 0;
    const Bitboard o = occupancy ^ bit;
    const int north = lowestSquare((o | RANK_8) & (FILE_A << square));
    const int south = highestSquare((o | RANK_1) & (FILE_H >> (63 - square)));
    const int east = lowestSquare((o | FILE_H) & (RANK_1 << square));
    const int west = highestSquare((o | FILE_A) & (RANK_8 >> (63 - square)));
    const Bitboard file = (FILE_A << south) & (FILE_H >> (63 - north));
    const Bitboard rank = (RANK_1 << west) & (RANK_8 >> (63 - east));
    return (file | rank) & ~bit;
}

constexpr Bitboard bishopAttacks(int square, Bitboard occupancy) {
    const Bitboard bit = squareBit(square);
    if (!(occupancy & bit)) return 0;
    const Bitboard o = occupancy ^ bit;
    const int upRight = lowestSquare((o | FILE_H | RANK_8) & (DIAGONAL << square));
    const int downLeft = highestSquare((o | FILE_A | RANK_1) & (DIAGONAL >> (63 - square)));
    const int upLeft = lowestSquare((o | FILE_A | RANK_8) & (ANTI_DIAGONAL << square));
    const int downRight = highestSquare((o | FILE_H | RANK_1) & (ANTI_DIAGONAL >> (63 - square)));
    const Bitboard diagonal = (DIAGONAL << downLeft) & (DIAGONAL >> (63 - upRight));
    const Bitboard antiDiagonal = (ANTI_DIAGONAL << downRight) & (ANTI_DIAGONAL >> (63 - upLeft));
    return (diagonal | antiDiagonal) & ~bit;
}

namespace detail {
constexpr std::array<Bitboard, 64> emptyBoardLines(bool rookLines) {
    std::array<Bitboard, 64> table{};
    for (int s = 0; s < 64; ++s) table[s] = rookLines ? rookAttacks(s, squareBit(s)) : bishopAttacks(s, squareBit(s));
    return table;
}
}  // namespace detail

// Rays on an empty board: a slider off these lines cannot attack the square, whatever blocks.
inline constexpr std::array<Bitboard, 64> rookLines = detail::emptyBoardLines(true);
inline constexpr std::array<Bitboard, 64> bishopLines = detail::emptyBoardLines(false);

// Pawns that attack `kingBit` from diagonally in front of it (the king's side plays upwards).
constexpr Bitboard pawnAttackersFromAbove(Bitboard kingBit) {
    return ((kingBit << 7) & ~FILE_H) | ((kingBit << 9) & ~FILE_A);
}
// Pawns that attack `kingBit` from diagonally behind it (the attackers play upwards).
constexpr Bitboard pawnAttackersFromBelow(Bitboard kingBit) {
    return ((kingBit >> 7) & ~FILE_A) | ((kingBit >> 9) & ~FILE_H);
}

// Every piece, of either colour, that attacks `square` over `occupied` (which must hold the
// square); `pawnSquares` are the squares from which the wanted side's pawns would attack it.
constexpr Bitboard attackersOf(const Position& p, int square, Bitboard occupied, Bitboard pawnSquares) {
    return (knightsOf(p) & knightAttacks[square]) | (rookSlidersOf(p) & rookAttacks(square, occupied)) |
           (bishopSlidersOf(p) & bishopAttacks(square, occupied)) | (pawnsOf(p) & pawnSquares) |
           (kingsOf(p) & kingAttacks[square]);
}

// Opponent pieces attacking the side to move's king: not empty means in check.
inline Bitboard ownKingAttackers() {
    const Position& p = *currentPosition;
    const Bitboard king = p.ownPieces & p.typePlane1 & p.typePlane2;
    const int k = lowestSquare(king);
    return attackersOf(p, k, occupiedSquares(p), pawnAttackersFromAbove(king)) & opponentPieces(p);
}

// Pieces of the side to move attacking the opponent's king: right after makeMove, not empty
// means the move just made left its own king attacked.
inline Bitboard opponentKingAttackers() {
    const Position& p = *currentPosition;
    const Bitboard king = p.typePlane1 & p.typePlane2 & ~p.ownPieces;
    const int k = lowestSquare(king);
    return attackersOf(p, k, occupiedSquares(p), pawnAttackersFromBelow(king)) & p.ownPieces;
}

// Whether an opponent piece attacks `square`, occupied or not.
constexpr bool attackedByOpponent(const Position& p, int square) {
    const Bitboard bit = squareBit(square);
    return (attackersOf(p, square, occupiedSquares(p) | bit, pawnAttackersFromAbove(bit)) & opponentPieces(p)) != 0;
}

// Yes/no form of opponentKingAttackers for the legality filters: cheap pieces first, and a
// slider scan only when such a piece stands on one of the king's lines at all.
inline bool opponentKingAttacked(const Position& p) {
    const Bitboard own = p.ownPieces;
    const Bitboard king = p.typePlane1 & p.typePlane2 & ~own;
    const int k = lowestSquare(king);
    const Bitboard plane0 = p.typePlane0, plane1 = p.typePlane1, plane2 = p.typePlane2;
    const Bitboard ownPawns = own & plane0 & ~(plane1 | plane2);
    const Bitboard ownKnights = own & plane1 & ~(plane0 | plane2);
    const Bitboard ownKings = own & plane1 & plane2;
    if ((ownPawns & pawnAttackersFromBelow(king)) | (ownKnights & knightAttacks[k]) | (ownKings & kingAttacks[k]))
        return true;
    const Bitboard occupied = plane0 | plane1 | plane2;
    const Bitboard rookers = own & plane2 & ~plane1 & rookLines[k];
    if (rookers && (rookers & rookAttacks(k, occupied))) return true;
    const Bitboard bishopers = own & plane0 & (plane1 ^ plane2) & bishopLines[k];
    return bishopers && (bishopers & bishopAttacks(k, occupied));
}
