// Strength levels: the same seed plays the same moves, the budget bounds the nodes, the top is
// the unrestricted search, every level plays legal moves, and the noise and the unseen moves
// follow the game's seed and the kind of move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "search/alphabeta.h"
#include "search/driver.h"
#include "search/root_moves.h"
#include "search/strength.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char* OPEN_GAME = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
constexpr const char* ROOK_ENDING = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
constexpr const char* IN_CHECK = "4k3/8/8/8/1b6/8/3P4/4K3 w - - 0 1";
constexpr const char* ONE_REPLY = "R6k/8/5K2/8/8/8/8/8 b - - 0 1";
constexpr const char* MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
constexpr const char* BLACK_TO_MOVE = "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R b KQkq - 0 5";

constexpr const char* POSITIONS[] = {START,     KIWIPETE,    OPEN_GAME, ROOK_ENDING,
                                     IN_CHECK,  ONE_REPLY,   MATE_IN_ONE, BLACK_TO_MOVE};

class StrengthTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        fixStrengthSeed(12345);
    }
    void TearDown() override {
        releaseStrengthSeed();
        SearchTest::TearDown();
    }
    static DeepeningResult searchAt(std::int32_t elo, int depthLimit = 32) {
        engineSettings.limitStrength = 1;
        engineSettings.elo = elo;
        return deepen(depthLimit, [](const Iteration&) {});
    }
};

TEST_F(StrengthTest, FixedSeedPlaysTheSameMove) {
    for (const std::int32_t elo : {600, 1100, 1600, 2050})
        for (const char* fen : POSITIONS) {
            loadFen(fen);
            fixStrengthSeed(7);
            const DeepeningResult first = searchAt(elo);
            fixStrengthSeed(99);  // another game in between leaves its tables behind
            searchAt(elo);
            fixStrengthSeed(7);
            const DeepeningResult again = searchAt(elo);
            EXPECT_EQ(text(first.bestMove), text(again.bestMove)) << elo << " " << fen;
            EXPECT_EQ(first.nodes, again.nodes) << elo << " " << fen;
            EXPECT_EQ(first.score, again.score) << elo << " " << fen;
        }
}

TEST_F(StrengthTest, TheSeedChangesWhatAWeakLevelPlays) {
    loadFen(OPEN_GAME);
    std::set<std::string> moves;
    for (std::uint64_t seed = 1; seed <= 16; ++seed) {
        fixStrengthSeed(seed);
        moves.insert(text(searchAt(600).bestMove));
    }
    EXPECT_GT(moves.size(), 1u);
}

TEST_F(StrengthTest, TheBudgetBoundsTheNodes) {
    // The budget is also watched from the search's input hook, which runs at the clock-reading
    // time tests, one in 32 moves of the interior nodes, once a few thousand nodes have passed:
    // quiescence below those moves can carry a search past the budget by a few per cent.
    for (const std::int32_t elo : {1200, 1500, 1800, 2000, 2050})
        for (const char* fen : {START, KIWIPETE, OPEN_GAME, ROOK_ENDING, BLACK_TO_MOVE}) {
            loadFen(fen);
            // Depth 1 is always finished, whatever it costs.
            const std::uint64_t firstDepth = searchAt(elo, 1).nodes;
            const DeepeningResult result = searchAt(elo);
            const std::uint64_t budget = std::max<std::uint64_t>(strengthLevel(elo).nodes, firstDepth);
            EXPECT_LE(result.nodes, budget + budget / 20 + 6000) << elo << " " << fen << " depth " << result.depth;
            EXPECT_NE(result.bestMove, 0u) << elo << " " << fen;
        }
}

TEST_F(StrengthTest, TheTopLevelIsTheUnrestrictedSearch) {
    for (const char* fen : {START, KIWIPETE, ROOK_ENDING, MATE_IN_ONE}) {
        loadFen(fen);
        engineSettings.limitStrength = 0;
        const DeepeningResult full = deepen(6, [](const Iteration&) {});
        const DeepeningResult top = searchAt(LEVEL_TOP_ELO, 6);
        EXPECT_EQ(text(full.bestMove), text(top.bestMove)) << fen;
        EXPECT_EQ(full.nodes, top.nodes) << fen;
        EXPECT_EQ(full.score, top.score) << fen;
        EXPECT_EQ(full.depth, top.depth) << fen;
    }
}

TEST_F(StrengthTest, EveryLevelPlaysALegalMove) {
    for (const std::int32_t elo : {600, 700, 850, 1000, 1300, 1650, 1900, 2050})
        for (const char* fen : POSITIONS) {
            loadFen(fen);
            const Move move = searchAt(elo).bestMove;
            EXPECT_TRUE(move != 0 && isLegal(move)) << elo << " " << fen << " " << text(move);
        }
    loadFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");  // stalemate
    EXPECT_EQ(searchAt(600).bestMove, 0u);
}

TEST_F(StrengthTest, OnlyTheChoiceOfTheFrontEndIsPlayed) {
    loadFen(OPEN_GAME);
    Move moves[MAX_MOVES];
    const int count = allowedRootMoves(moves);
    ASSERT_GT(count, 2);
    allowOnlyRootMoves(moves + count - 2, 2);
    for (const std::int32_t elo : {600, 1500}) {
        const Move move = searchAt(elo).bestMove;
        EXPECT_TRUE(move == moves[count - 2] || move == moves[count - 1]) << elo << " " << text(move);
    }
    allowAllRootMoves();
}

// The thinking output shows the level's own depths, one after another, and the score it plays by.
TEST_F(StrengthTest, ThinkingShowsTheLevelsDepthAndScore) {
    static std::vector<Iteration> reported;
    for (const std::int32_t elo : {600, 1200, 1800}) {
        loadFen(KIWIPETE);
        reported.clear();
        engineSettings.limitStrength = 1;
        engineSettings.elo = elo;
        const DeepeningResult result = deepen(32, [](const Iteration& i) { reported.push_back(i); });
        ASSERT_FALSE(reported.empty()) << elo;
        for (std::size_t i = 0; i < reported.size(); ++i) EXPECT_EQ(reported[i].depth, static_cast<int>(i) + 1) << elo;
        EXPECT_LE(reported.back().depth, strengthLevel(elo).depth) << elo;
        EXPECT_EQ(reported.back().score, result.score) << elo;
        EXPECT_EQ(reported.back().line->moves[0], result.bestMove) << elo;
    }
}

// How often, over many games, a level misses `move` of the current position.
int missesOver(const StrengthLevel& level, Move move, int games) {
    int missed = 0;
    for (int seed = 1; seed <= games; ++seed)
        missed += moveSeen(level, static_cast<std::uint64_t>(seed) * 7919, move) ? 0 : 1;
    return missed;
}

Move moveFromText(const char* text) {
    Move moves[MAX_MOVES];
    const int count = allowedRootMoves(moves);
    for (int i = 0; i < count; ++i)
        if (search_test::text(moves[i]) == text) return moves[i];
    ADD_FAILURE() << "no move " << text;
    return 0;
}

TEST_F(StrengthTest, RecapturesAndBigCapturesAreAlwaysSeen) {
    const StrengthLevel weakest = strengthLevel(LEVEL_MIN_ELO);
    struct Case {
        const char* fen;
        std::vector<const char*> moves;  // played first
        const char* move;
    };
    const Case cases[] = {
        {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", {}, "e4d5"},                    // a pawn takes the queen
        {"4k3/8/8/3r4/8/8/3Q4/4K3 w - - 0 1", {}, "d2d5"},                    // the queen takes a rook
        {"4k3/8/2n5/3p4/8/5N2/8/4K3 w - - 0 1", {}, "f3d4"},                  // control: a quiet move
        {START, {"e2e4", "d7d5", "e4d5"}, "d8d5"},                            // the queen recaptures a pawn
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", {}, "b7b8q"},                     // a promotion
    };
    for (const Case& c : cases) {
        loadFen(c.fen);
        for (const char* m : c.moves) ASSERT_EQ(parseMove(m), 1) << m;
        const Move move = moveFromText(c.move);
        const int missed = missesOver(weakest, move, 400);
        if (std::string(c.move) == "f3d4")
            EXPECT_GT(missed, 0) << c.move;
        else
            EXPECT_EQ(missed, 0) << c.move;
    }
}

TEST_F(StrengthTest, LongAndBackwardMovesAreMissedMost) {
    const StrengthLevel weakest = strengthLevel(LEVEL_MIN_ELO);
    loadFen("4k3/8/8/8/3B4/8/8/4K3 w - - 0 1");
    const int shortForward = missesOver(weakest, moveFromText("d4e5"), 2000);
    const int longForward = missesOver(weakest, moveFromText("d4h8"), 2000);
    const int longBackward = missesOver(weakest, moveFromText("d4g1"), 2000);
    EXPECT_LT(shortForward, longForward);
    EXPECT_LT(longForward, longBackward);
    // A strong level misses next to nothing.
    EXPECT_LT(missesOver(strengthLevel(1900), moveFromText("d4g1"), 2000), 100);
}

// The noise stays within the level's bound and comes back the same with the position.
TEST_F(StrengthTest, NoiseIsBoundedAndTiedToThePositionAndSeed) {
    for (const std::int32_t elo : {600, 1500, 2050}) {
        const StrengthLevel level = strengthLevel(elo);
        std::set<std::int32_t> values;
        for (std::uint64_t seed = 1; seed <= 50; ++seed) {
            loadFen(START);
            const std::int32_t before = positionNoise(level, seed);
            EXPECT_LE(std::abs(before), level.noise) << elo;
            play({"g1f3", "g8f6", "f3g1", "f6g8"});
            EXPECT_EQ(positionNoise(level, seed), before) << elo;
            values.insert(before);
        }
        EXPECT_GT(values.size(), 5u) << elo;
    }
}

TEST_F(StrengthTest, ANewGameDrawsANewSeed) {
    releaseStrengthSeed();
    setStartPosition();
    play({"e2e4", "e7e5", "g1f3", "b8c6"});
    const std::uint64_t seed = strengthSeed();
    play({"f1c4", "f8c5"});
    EXPECT_EQ(strengthSeed(), seed);
    takeBack();
    takeBack();  // taking back a move pair is the same game
    EXPECT_EQ(strengthSeed(), seed);
    setStartPosition();
    EXPECT_NE(strengthSeed(), seed);
    loadFen(KIWIPETE);
    const std::uint64_t other = strengthSeed();
    play({"e1g1"});
    EXPECT_EQ(strengthSeed(), other);
    loadFen(ROOK_ENDING);  // another first position
    EXPECT_NE(strengthSeed(), other);
}

// Stronger levels never search less, misjudge more or miss more; the range is clamped.
TEST_F(StrengthTest, LevelsGrowStrongerWithTheirElo) {
    StrengthLevel weaker = strengthLevel(LEVEL_MIN_ELO);
    for (std::int32_t elo = LEVEL_MIN_ELO + 25; elo <= LEVEL_TOP_ELO; elo += 25) {
        const StrengthLevel level = strengthLevel(elo);
        EXPECT_GE(level.nodes, weaker.nodes) << elo;
        EXPECT_GE(level.depth, weaker.depth) << elo;
        EXPECT_LE(level.noise, weaker.noise) << elo;
        EXPECT_LE(level.blind, weaker.blind) << elo;
        weaker = level;
    }
    EXPECT_EQ(strengthLevel(100).nodes, strengthLevel(LEVEL_MIN_ELO).nodes);
    EXPECT_GT(strengthLevel(LEVEL_MIN_ELO + 1).nodes, strengthLevel(LEVEL_MIN_ELO).nodes);
}

}  // namespace
