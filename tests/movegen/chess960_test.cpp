#include <gtest/gtest.h>

#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "movegen/movegen.h"
#include "movegen/perft.h"
#include "tests/support/board_fixtures.h"

namespace {

// The chess960 switch on for the test, and the standard game back afterwards.
template <typename Base>
class InChess960Game : public Base {
protected:
    void SetUp() override { chess960 = true; }
    void TearDown() override {
        chess960 = false;
        setStartPosition();
    }
};

class Chess960Perft : public InChess960Game<testing::TestWithParam<PerftRecord>> {};

TEST_P(Chess960Perft, CountsEveryLeaf) {
    const PerftRecord& record = GetParam();
    ASSERT_TRUE(loadFen(record.fen)) << record.fen;
    EXPECT_EQ(perft(record.depth), record.expected) << record.fen;
    EXPECT_EQ(currentPosition, positionStack);
}

INSTANTIATE_TEST_SUITE_P(Suite, Chess960Perft, testing::ValuesIn(CHESS960_PERFT_SUITE));

// Each suite position written in X-FEN (switch on) and by rook files (switch off) reads back
// to the same record and setup, so the counts hold for both forms.
TEST_P(Chess960Perft, BothFenFormsGiveTheSameGame) {
    ASSERT_TRUE(loadFen(GetParam().fen));
    const Position record = *currentPosition;
    const CastlingSetup setup = castling.setup;
    for (bool game : {true, false}) {
        chess960 = game;
        char written[FEN_TEXT_SIZE];
        writeFen(written, record);
        ASSERT_TRUE(loadFen(written)) << written;
        EXPECT_TRUE(samePosition(*currentPosition, record)) << written;
        EXPECT_EQ(std::memcmp(&castling.setup, &setup, sizeof setup), 0) << written;
    }
}

// Which castlings the quiet generator offers, each a fault that engines have shipped.
struct CastlingCase {
    const char* fen;
    bool longCastling, shortCastling;
};

class Chess960CastlingRule : public InChess960Game<testing::TestWithParam<CastlingCase>> {};

TEST_P(Chess960CastlingRule, GeneratedExactlyWhenLegal) {
    const CastlingCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    MoveList list;
    generateQuiets(list);
    const CastlingSide& side = castling.side[currentPosition->sideToMove];
    bool found[2] = {};
    for (int i = 0; i < list.count; ++i)
        for (int right : {LONG_CASTLING, SHORT_CASTLING}) found[right] |= list.moves[i] == side.move[right];
    EXPECT_EQ(found[LONG_CASTLING], c.longCastling) << c.fen;
    EXPECT_EQ(found[SHORT_CASTLING], c.shortCastling) << c.fen;
    // What the generator offers is legal once made.
    for (int right : {LONG_CASTLING, SHORT_CASTLING}) {
        if (!found[right]) continue;
        makeMove(side.move[right]);
        EXPECT_FALSE(opponentKingAttacked(*currentPosition)) << c.fen;
        takeBack();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Chess960CastlingRule,
    testing::Values(
        // The castling rook shields c1 from the rook on a1; without that rook, castling is fine.
        CastlingCase{"4k3/8/8/8/8/8/8/rR2K1N1 w Q - 0 1", false, false},
        CastlingCase{"4k3/8/8/8/8/8/8/1R2K1N1 w Q - 0 1", true, false},
        // A second rook on the king's way blocks it like any piece.
        CastlingCase{"1k6/8/8/8/8/8/8/1K1R3R w H - 0 1", false, false},
        CastlingCase{"1k6/8/8/8/8/8/8/1K5R w H - 0 1", false, true},
        // Q is the outer rook on a1, and the inner one on c1 stands where the king lands.
        CastlingCase{"3k4/8/8/8/8/8/8/R1RK3R w KQ - 0 1", false, true},
        // The rook on g1, where the king lands.
        CastlingCase{"4k3/8/8/8/8/8/8/R3K1R1 w KQ - 0 1", true, true},
        // The king on g1 already; long, it lands on c1, which the rook on c8 sees once the
        // castling rook has left it.
        CastlingCase{"4k3/8/8/8/8/8/8/2R3KR w KQ - 0 1", true, true},
        CastlingCase{"2r1k3/8/8/8/8/8/8/2R3KR w KQ - 0 1", false, true},
        // f1g1 is also a king step; the castling is there all the same.
        CastlingCase{"4k3/8/8/8/8/8/8/5K1R w K - 0 1", false, true},
        // In check, or with a square on the king's way attacked.
        CastlingCase{"4kr2/8/8/8/8/8/8/R4K1R w KQ - 0 1", false, false},
        CastlingCase{"3rk3/8/8/8/8/8/8/R4K1R w KQ - 0 1", false, true},
        // Black, seen from its own side.
        CastlingCase{"r2k3r/8/8/8/8/8/8/4K3 b kq - 0 1", true, true},
        CastlingCase{"r2k3r/8/8/8/8/8/8/2R1K3 b kq - 0 1", false, true}));

}  // namespace
