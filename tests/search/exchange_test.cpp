#include <gtest/gtest.h>

#include <string>

#include <algorithm>
#include <cstring>

#include "search/alphabeta.h"
#include "search/evaluate.h"
#include "search/quiescence.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class ExchangeTest : public SearchTest {};

// The generated capture with the given coordinate text.
Move captureFrom(const char* wanted) {
    ScoredMoveList list;
    generateCaptures(list);
    for (int i = 0; i < list.count; ++i)
        if (text(list.entries[i].move) == wanted) return list.entries[i].move;
    ADD_FAILURE() << "no capture " << wanted;
    return 0;
}

}  // namespace

// Every recapture is made, each side always with its cheapest legal capture.
TEST_F(ExchangeTest, ValuesTheWholeCaptureSequence) {
    struct Case {
        const char* name;
        const char* fen;
        const char* capture;
        int value;
    };
    const Case cases[] = {
        {"pawn takes knight, pawn recaptures", "4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300 - (100 - 0)},
        {"queen takes defended pawn", "4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", "d2d5", 100 - (950 - 0)},
        {"rook takes rook, queen behind it", "4k3/8/2p5/3r4/8/8/3R4/3QK3 w - - 0 1", "d2d5",
         500 - (500 - (100 - 0))},
        // The side that could stop after the pawn's recapture is made to go on.
        {"and a knight takes the queen", "4k3/8/2p2n2/3r4/8/8/3R4/3QK3 w - - 0 1", "d2d5",
         500 - (500 - (100 - (950 - 0)))},
        {"undefended piece", "4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300},
        {"black to move", "4k3/8/8/4p3/3N4/2P5/8/4K3 b - - 0 1", "e5d4", 300 - (100 - 0)},
        // En passant takes nothing on its target square: 0 minus what follows there.
        {"en passant, recaptured", "4k3/2p5/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 0 - (100 - 0)},
        {"en passant, free", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 0},
        {"queen promotion, recaptured", "1r2k3/2P5/8/8/8/8/8/4K3 w - - 0 1", "c7c8q", 0 - (950 - 0)},
        {"promotion capture", "1r2k3/2P5/8/8/8/8/8/4K3 w - - 0 1", "c7b8q", 500},
        // A capture that exposes the own king is worth nothing.
        {"pinned knight", "4r1k1/8/8/8/8/2p5/4N3/4K3 w - - 0 1", "e2c3", 0},
        // A recapture that leaves the recapturing king attacked is not made.
        {"pinned defender", "4k3/8/2p5/1B1n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadFen(c.fen);
        const Position before = *currentPosition;
        const Move move = captureFrom(c.capture);
        EXPECT_EQ(staticExchange(move), c.value);
        EXPECT_EQ(currentPosition, positionStack);
        EXPECT_EQ(std::memcmp(&before, currentPosition, sizeof before), 0);
    }
}

// Two knights may recapture with the same generator score; the one generated first (the lower
// square) is used. Here that matters: the other one would uncover check from the rook on e1,
// after which black could not take back.
TEST_F(ExchangeTest, EqualRecapturesGoByGeneratorOrder) {
    loadFen("3qk3/8/2p5/3R4/8/2N1N3/8/4R2K b - - 0 1");
    // cxd5, Ncxd5, Qxd5, Nexd5+ (and black has nothing left)
    EXPECT_EQ(staticExchange(captureFrom("c6d5")), 500 - (100 - (300 - (950 - 0))));

    makeMove(captureFrom("c6d5"));
    const ScoredMove recapture = cheapestRecapture(35 ^ 56);  // d5 as black sees it
    EXPECT_EQ(text(recapture.move), "c3d5");
    EXPECT_EQ(recapture.score, 16 * PAWN + 6 - KNIGHT);
}

TEST_F(ExchangeTest, CheapestRecapturePrefersTheCheapestLegalAttacker) {
    // After exd5 black can retake with the c6 pawn, the f6 knight or the d8 queen.
    loadFen("3qk3/8/2p2n2/3n4/4P3/8/8/4K3 w - - 0 1");
    makeMove(captureFrom("e4d5"));
    const ScoredMove pawn = cheapestRecapture(35);
    EXPECT_EQ(text(pawn.move), "c6d5");
    EXPECT_EQ(pawn.score, 16 * PAWN + 6 - PAWN);
    takeBack();

    // Nothing attacks the square: move 0, score 0.
    loadFen("4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1");
    makeMove(captureFrom("e4d5"));
    const ScoredMove none = cheapestRecapture(35);
    EXPECT_EQ(none.move, 0u);
    EXPECT_EQ(none.score, 0);
    EXPECT_EQ(exchangeOnSquare(35), 0);
}

TEST_F(ExchangeTest, LegalCapturesKeepGeneratorScoresInReverseOrder) {
    // Generated: dxe5, dxc5, Nxf3; the d2 knight is pinned by the a5 bishop.
    loadFen("6k1/8/8/b1p1p3/3P4/5p2/3N4/4K3 w - - 0 1");
    ScoredMoveList legal{};
    collectLegalCaptures(legal);
    ASSERT_EQ(legal.count, 2);
    EXPECT_EQ(text(legal.entries[0].move), "d4c5");  // generated second
    EXPECT_EQ(text(legal.entries[1].move), "d4e5");
    EXPECT_EQ(legal.entries[0].score, 16 * PAWN + 5);
}

TEST_F(ExchangeTest, GoodCapturesAreScoredByExchangeInGeneratorOrder) {
    // Generated: exf5, exd5, Nxh3 (pinned by the a1 rook), Qxb3 (loses the queen to axb3).
    loadFen("6k1/8/8/3p1n2/p3P3/1p5p/2Q5/r5NK w - - 0 1");
    ScoredMoveList good{};
    collectGoodCaptures(good);
    std::string found;
    for (int i = 0; i < good.count; ++i)
        found += text(good.entries[i].move) + "=" + std::to_string(good.entries[i].score) + " ";
    EXPECT_EQ(found, "e4f5=300 e4d5=100 ");
}

TEST_F(ExchangeTest, SelfTestPrintsTheBestScoredCapture) {
    loadFen("4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1");
    testing::internal::CaptureStdout();
    exchangeSelfTest();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " SEE Value: 200\n");

    loadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    testing::internal::CaptureStdout();
    exchangeSelfTest();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ExchangeTest, QuiescenceStandsPatAtBetaWithoutMakingAMove) {
    loadFen("4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1");
    const int stand = evaluate();
    nodeCount = 0;
    EXPECT_EQ(quiesce(-1000, stand, MATE_SCORE), stand);
    EXPECT_EQ(nodeCount, 0u);
    EXPECT_EQ(quiesce(-1000, stand - 5, MATE_SCORE), stand - 5);
}

TEST_F(ExchangeTest, QuiescenceWinsAHangingPiece) {
    loadFen("4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1");
    const int stand = evaluate();
    ASSERT_EQ(parseMove("e4d5"), 1);
    const int afterCapture = -evaluate();
    ASSERT_EQ(parseMove("c6d5"), 1);
    const int afterRecapture = evaluate();
    takeBack();
    takeBack();
    // Black chooses between standing pat and cxd5; white then has nothing left to take.
    const int value = quiesce(-5000, 5000, MATE_SCORE);
    EXPECT_EQ(value, std::min(afterCapture, afterRecapture));
    EXPECT_GT(value, stand + 150);
    EXPECT_EQ(currentPosition, positionStack);

    // Fail-hard: results stay inside the window.
    EXPECT_EQ(quiesce(value + 10, value + 20, MATE_SCORE), value + 10);
    EXPECT_EQ(quiesce(value - 20, value - 10, MATE_SCORE), value - 10);
}
