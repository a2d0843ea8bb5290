#include <gtest/gtest.h>

#include <random>

#include "board/attacks.h"
#include "tests/support/board_fixtures.h"

namespace {

// Walks each ray square by square: the obvious way, to check the scan-based slider sets.
Bitboard walkRays(int square, Bitboard occupancy, const int (*steps)[2]) {
    if (!(occupancy & squareBit(square))) return 0;
    Bitboard set = 0;
    for (int d = 0; d < 4; ++d)
        for (int r = square / 8 + steps[d][0], f = square % 8 + steps[d][1]; r >= 0 && r < 8 && f >= 0 && f < 8;
             r += steps[d][0], f += steps[d][1]) {
            set |= squareBit(8 * r + f);
            if (occupancy & squareBit(8 * r + f)) break;
        }
    return set;
}
constexpr int ROOK_STEPS[4][2] = {{1}, {-1}, {0, 1}, {0, -1}};
constexpr int BISHOP_STEPS[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

TEST(SliderAttacks, KnownSets) {
    EXPECT_EQ(rookAttacks(27, squareBit(27)), 0x08080808F7080808ULL);
    EXPECT_EQ(bishopAttacks(27, squareBit(27)), 0x8041221400142241ULL);
    EXPECT_EQ(rookAttacks(0, squareBit(0)), 0x01010101010101FEULL);
    EXPECT_EQ(bishopAttacks(0, squareBit(0)), 0x8040201008040200ULL);
    EXPECT_EQ(rookAttacks(27, squareBit(26)), 0u);
    EXPECT_EQ(bishopAttacks(27, 0), 0u);
}

TEST(SliderAttacks, MatchARayWalkOnRandomBoards) {
    std::mt19937_64 random(20261210);
    for (int trial = 0; trial < 2000; ++trial) {
        // From nearly empty to nearly full boards, every square of each.
        Bitboard occupancy = random();
        for (int thinning = trial % 4; thinning > 0; --thinning) occupancy &= random();
        if (trial % 8 == 7) occupancy |= random();
        for (int square = 0; square < 64; ++square) {
            const Bitboard withPiece = occupancy | squareBit(square);
            ASSERT_EQ(rookAttacks(square, withPiece), walkRays(square, withPiece, ROOK_STEPS)) << square;
            ASSERT_EQ(bishopAttacks(square, withPiece), walkRays(square, withPiece, BISHOP_STEPS)) << square;
        }
    }
}

TEST(StepAttacks, NeverWrapAroundTheBoardEdge) {
    EXPECT_EQ(kingAttacks[squareOf("a1")], squareBit(1) | squareBit(8) | squareBit(9));
    EXPECT_EQ(kingAttacks[squareOf("h4")], 0x000000C040C00000ULL);
    EXPECT_EQ(knightAttacks[squareOf("a1")], squareBit(squareOf("b3")) | squareBit(squareOf("c2")));
    EXPECT_EQ(knightAttacks[squareOf("h8")], squareBit(squareOf("g6")) | squareBit(squareOf("f7")));
    EXPECT_EQ(popCount(knightAttacks[squareOf("d4")]), 8);
    EXPECT_EQ(popCount(knightAttacks[squareOf("g2")]), 4);
}

struct CheckCase {
    const char* fen;
    Bitboard ownAttackers;  // ownKingAttackers, record squares
};

class KingAttackers : public testing::TestWithParam<CheckCase> {};

TEST_P(KingAttackers, ReturnTheAttackingPieces) {
    const CheckCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    EXPECT_EQ(ownKingAttackers(), c.ownAttackers) << c.fen;
    // The same board with the other side to move, as the legality test sees it after a move:
    // the same pieces, at their squares seen from the other side.
    flipBoard(*currentPosition);
    EXPECT_EQ(opponentKingAttackers(), byteSwap(c.ownAttackers)) << c.fen;
    EXPECT_EQ(opponentKingAttacked(*currentPosition), c.ownAttackers != 0) << c.fen;
}

constexpr Bitboard at(const char* square) { return squareBit(squareOf(square)); }

INSTANTIATE_TEST_SUITE_P(
    Pieces, KingAttackers,
    testing::Values(
        CheckCase{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},
        // Fool's mate: the queen on h4 gives check; seen from black it stands on h5.
        CheckCase{"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", at("h4")},
        CheckCase{"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", at("d2")},
        CheckCase{"4k3/8/8/8/8/8/5p2/4K3 w - - 0 1", at("f2")},
        CheckCase{"4k3/8/8/8/8/8/8/3nK3 w - - 0 1", 0},
        CheckCase{"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", at("f3")},
        CheckCase{"4k3/8/8/8/1b6/8/8/4K3 w - - 0 1", at("b4")},
        CheckCase{"4k3/8/8/8/1b6/2P5/8/4K3 w - - 0 1", 0},
        CheckCase{"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", at("a1")},
        CheckCase{"4k3/8/8/8/8/8/8/r2NK3 w - - 0 1", 0},
        CheckCase{"4k3/4q3/8/8/8/8/8/4K3 w - - 0 1", at("e7")},
        CheckCase{"4k3/8/8/8/8/3n1n2/8/r3K2q w - - 0 1", at("a1") | at("h1") | at("d3") | at("f3")},
        // Pawns on the edge files never reach round the board's side.
        CheckCase{"4k3/8/8/8/8/8/p7/7K w - - 0 1", 0},
        CheckCase{"4k3/8/8/8/8/8/7p/K7 w - - 0 1", 0},
        CheckCase{"4k3/8/8/8/8/8/6p1/7K w - - 0 1", at("g2")},
        CheckCase{"4k3/8/8/8/8/8/1p6/K7 w - - 0 1", at("b2")}));

// Adjacent kings never come from a FEN (the side not to move would stand in check), but the
// king tests still answer for them.
TEST(KingAttackers, SeeTheOpposingKing) {
    setStartPosition();
    Position& p = *currentPosition;
    p.ownPieces = squareBit(0);
    p.typePlane0 = 0;
    p.typePlane1 = p.typePlane2 = squareBit(0) | squareBit(1);
    EXPECT_EQ(ownKingAttackers(), squareBit(1));
    EXPECT_EQ(opponentKingAttackers(), squareBit(0));
}

}  // namespace
