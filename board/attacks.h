// Attack sets and the two king-attack questions asked at every node.
#pragma once

#include <array>

#include "board/bitboard.h"
#include "board/move.h"
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

namespace detail {
// The squares of a line through each square, the square itself left out.
constexpr std::array<Bitboard, 64> lineTable(int rankStep, int fileStep) {
    std::array<Bitboard, 64> table{};
    for (int s = 0; s < 64; ++s)
        for (int direction = -1; direction <= 1; direction += 2) {
            const int rankDelta = direction * rankStep, fileDelta = direction * fileStep;
            for (int r = s / 8 + rankDelta, f = s % 8 + fileDelta; r >= 0 && r < 8 && f >= 0 && f < 8;
                 r += rankDelta, f += fileDelta)
                table[s] |= squareBit(8 * r + f);
        }
    return table;
}
inline constexpr std::array<Bitboard, 64> FILE_LINES = lineTable(1, 0);
inline constexpr std::array<Bitboard, 64> DIAGONAL_LINES = lineTable(1, 1);
inline constexpr std::array<Bitboard, 64> ANTI_DIAGONAL_LINES = lineTable(1, -1);

// Attacks along a file or diagonal, which meets every rank once, so that turning the board
// over (a byte swap) reverses the line. Below the first blocker above the square, the
// subtraction borrows through exactly the empty squares; the turned board does the same for
// the part below.
constexpr Bitboard lineAttacks(Bitboard bit, Bitboard occupancy, Bitboard line) {
    Bitboard forward = occupancy & line;
    Bitboard reverse = byteSwap(forward);
    forward -= bit;
    reverse -= byteSwap(bit);
    return (forward ^ byteSwap(reverse)) & line;
}

// Attacks within a rank, by file and by the occupancy of the six inner files.
constexpr std::array<std::array<std::uint8_t, 64>, 8> makeRankAttacks() {
    std::array<std::array<std::uint8_t, 64>, 8> table{};
    for (int file = 0; file < 8; ++file)
        for (int inner = 0; inner < 64; ++inner) {
            const unsigned occupied = static_cast<unsigned>(inner) << 1;
            unsigned set = 0;
            for (int f = file + 1; f < 8; ++f) {
                set |= 1u << f;
                if (occupied & (1u << f)) break;
            }
            for (int f = file - 1; f >= 0; --f) {
                set |= 1u << f;
                if (occupied & (1u << f)) break;
            }
            table[file][inner] = static_cast<std::uint8_t>(set);
        }
    return table;
}
inline constexpr std::array<std::array<std::uint8_t, 64>, 8> RANK_ATTACKS = makeRankAttacks();
}  // namespace detail

// Rank and file through a square up to and including the first occupied square of each ray,
// or up to the board's edges. The square must be in the occupancy (it holds the piece), else
// the set is empty.
constexpr Bitboard rookAttacks(int square, Bitboard occupancy) {
    const Bitboard bit = squareBit(square);
    if (!(occupancy & bit)) return 0;
    const int rankShift = square & 56;
    const Bitboard rank = Bitboard{detail::RANK_ATTACKS[square & 7][(occupancy >> (rankShift + 1)) & 63]} << rankShift;
    return rank | detail::lineAttacks(bit, occupancy, detail::FILE_LINES[square]);
}

// The same for the two diagonals through the square.
constexpr Bitboard bishopAttacks(int square, Bitboard occupancy) {
    const Bitboard bit = squareBit(square);
    if (!(occupancy & bit)) return 0;
    return detail::lineAttacks(bit, occupancy, detail::DIAGONAL_LINES[square]) |
           detail::lineAttacks(bit, occupancy, detail::ANTI_DIAGONAL_LINES[square]);
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

namespace detail {
// Empty-board rays by direction: the four that run to higher squares, then the four that run lower.
enum RayDirection { NORTH, EAST, NORTH_EAST, NORTH_WEST, SOUTH, WEST, SOUTH_WEST, SOUTH_EAST };
constexpr std::array<std::array<Bitboard, 64>, 8> makeRays() {
    constexpr int step[8][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}, {-1, 0}, {0, -1}, {-1, -1}, {-1, 1}};
    std::array<std::array<Bitboard, 64>, 8> rays{};
    for (int d = 0; d < 8; ++d)
        for (int s = 0; s < 64; ++s)
            for (int r = s / 8 + step[d][0], f = s % 8 + step[d][1]; r >= 0 && r < 8 && f >= 0 && f < 8;
                 r += step[d][0], f += step[d][1])
                rays[d][s] |= squareBit(8 * r + f);
    return rays;
}
inline constexpr std::array<std::array<Bitboard, 64>, 8> RAYS = makeRays();

// Whether one of `sliders` is the nearest piece on the ray from `square` in `direction`.
template <RayDirection direction>
inline bool nearestOnRay(int square, Bitboard sliders, Bitboard occupied) {
    const Bitboard ray = RAYS[direction][square];
    if (!(sliders & ray)) return false;
    const Bitboard blockers = occupied & ray;
    const Bitboard nearest = direction < SOUTH ? blockers & (0 - blockers) : squareBit(highestSquare(blockers));
    return (sliders & nearest) != 0;
}
}  // namespace detail

namespace detail {
// Whether a piece among `attackers` attacks `king`, from whose side `pawnSquares` are the
// squares that attacking pawns would stand on: the cheap pieces first, then only the rays on
// which a slider of the right kind actually stands.
[[gnu::always_inline]] inline bool kingAttackedBy(const Position& p, Bitboard attackers, Bitboard king,
                                                  Bitboard pawnSquares) {
    const Bitboard plane0 = p.typePlane0, plane1 = p.typePlane1, plane2 = p.typePlane2;
    const int k = lowestSquare(king);
    const Bitboard pawns = attackers & plane0 & ~(plane1 | plane2);
    const Bitboard knights = attackers & plane1 & ~(plane0 | plane2);
    const Bitboard kings = attackers & plane1 & plane2;
    if ((pawns & pawnSquares) | (knights & knightAttacks[k]) | (kings & kingAttacks[k])) return true;
    const Bitboard occupied = plane0 | plane1 | plane2;
    if (const Bitboard rookers = attackers & plane2 & ~plane1 & rookLines[k]) {
        if (nearestOnRay<NORTH>(k, rookers, occupied) || nearestOnRay<EAST>(k, rookers, occupied) ||
            nearestOnRay<SOUTH>(k, rookers, occupied) || nearestOnRay<WEST>(k, rookers, occupied))
            return true;
    }
    if (const Bitboard bishopers = attackers & plane0 & (plane1 ^ plane2) & bishopLines[k]) {
        if (nearestOnRay<NORTH_EAST>(k, bishopers, occupied) || nearestOnRay<NORTH_WEST>(k, bishopers, occupied) ||
            nearestOnRay<SOUTH_WEST>(k, bishopers, occupied) || nearestOnRay<SOUTH_EAST>(k, bishopers, occupied))
            return true;
    }
    return false;
}
}  // namespace detail

// Yes/no form of opponentKingAttackers for the legality filters.
[[gnu::always_inline]] inline bool opponentKingAttacked(const Position& p) {
    const Bitboard king = p.typePlane1 & p.typePlane2 & ~p.ownPieces;
    return detail::kingAttackedBy(p, p.ownPieces, king, pawnAttackersFromBelow(king));
}

// Yes/no form of ownKingAttackers: whether the side to move is in check.
inline bool ownKingAttacked(const Position& p) {
    const Bitboard king = p.typePlane1 & p.typePlane2 & p.ownPieces;
    return detail::kingAttackedBy(p, opponentPieces(p), king, pawnAttackersFromAbove(king));
}

// Settles most legality tests before the move is made: unless the side to move is in check, a
// move can only expose its own king when the moving piece is the one piece between the king and
// an opponent slider that lines up with it. King moves, castling and en passant (two pieces leave
// their squares) are always tested.
struct LegalityShortcut {
    Bitboard mustTest;  // origins whose moves need the full test after making them

    static LegalityShortcut forCurrentPosition() {
        const Position& p = *currentPosition;
        const Bitboard kingBit = p.ownPieces & p.typePlane1 & p.typePlane2;
        const int k = lowestSquare(kingBit);
        if (ownKingAttacked(p)) return {~Bitboard{0}};
        const Bitboard theirs = opponentPieces(p), occupied = occupiedSquares(p);
        Bitboard mustTest = kingBit;
        // The own piece that alone stands between the king and a lined-up slider (the squares
        // between are what each side's rays reach with only the other one on the board). With
        // two or more between, moving one of them uncovers nothing.
        auto pinned = [&](Bitboard between) {
            const Bitboard blockers = between & occupied;
            return withoutLowest(blockers) == 0 ? blockers & p.ownPieces : 0;
        };
        for (Bitboard set = theirs & rookSlidersOf(p) & rookLines[k]; set; set = withoutLowest(set)) {
            const int s = lowestSquare(set);
            const Bitboard pair = kingBit | squareBit(s);
            mustTest |= pinned(rookAttacks(k, pair) & rookAttacks(s, pair));
        }
        for (Bitboard set = theirs & bishopSlidersOf(p) & bishopLines[k]; set; set = withoutLowest(set)) {
            const int s = lowestSquare(set);
            const Bitboard pair = kingBit | squareBit(s);
            mustTest |= pinned(bishopAttacks(k, pair) & bishopAttacks(s, pair));
        }
        return {mustTest};
    }
    bool needsTest(Move move) const { return ((mustTest >> moveFrom(move)) & 1) || moveKind(move) == EN_PASSANT; }
};
