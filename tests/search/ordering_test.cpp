#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "board/move.h"
#include "search/ordering.h"

namespace {

// Distinct quiet moves a1-b1, a1-c1, ...: move i goes from square 0 to square i + 1.
constexpr Move quiet(int i) { return encodeMove(KNIGHT_MOVE, 0, i + 1); }

MoveList listOf(std::initializer_list<Move> moves) {
    MoveList list{};
    for (Move m : moves) list.moves[list.count++] = m;
    return list;
}

std::vector<Move> contents(const MoveList& list) { return {list.moves, list.moves + list.count}; }

class OrderingTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearKillers();
        clearHistory();
    }
};

}  // namespace

TEST_F(OrderingTest, NewKillerPushesTheOldOneDown) {
    updateKillers(6, quiet(1));
    updateKillers(6, quiet(2));
    EXPECT_EQ(killerTable[6][0], quiet(2));
    EXPECT_EQ(killerTable[6][1], quiet(1));
    EXPECT_EQ(killerTable[5][0], 0u);
}

TEST_F(OrderingTest, RepeatedKillerLeavesTheRowAlone) {
    updateKillers(6, quiet(1));
    updateKillers(6, quiet(2));
    updateKillers(6, quiet(2));
    EXPECT_EQ(killerTable[6][0], quiet(2));
    EXPECT_EQ(killerTable[6][1], quiet(1));
}

TEST_F(OrderingTest, SecondKillerCuttingOffAgainSwapsPlaces) {
    updateKillers(6, quiet(1));
    updateKillers(6, quiet(2));
    updateKillers(6, quiet(1));
    EXPECT_EQ(killerTable[6][0], quiet(1));
    EXPECT_EQ(killerTable[6][1], quiet(2));
}

// Every depth a root search may use has its row; others are ignored rather than written
// out of bounds.
TEST_F(OrderingTest, KillerRowsCoverDepthsZeroToThirtyTwo) {
    updateKillers(0, quiet(1));
    updateKillers(32, quiet(2));
    EXPECT_EQ(killerTable[0][0], quiet(1));
    EXPECT_EQ(killerTable[32][0], quiet(2));

    for (int depth : {-1, 33, 255, 1 << 20}) {
        updateKillers(depth, quiet(3));
        MoveList list = listOf({quiet(3), quiet(4)});
        EXPECT_EQ(killerToEnd(depth, list), 0) << depth;
        EXPECT_EQ(contents(list), (std::vector<Move>{quiet(3), quiet(4)})) << depth;
    }
    for (int row = 0; row < KILLER_ROWS; ++row)
        for (Move killer : killerTable[row]) EXPECT_NE(killer, quiet(3)) << row;
}

TEST_F(OrderingTest, ClearKillersEmptiesEveryRow) {
    for (int depth = 0; depth < KILLER_ROWS; ++depth) {
        updateKillers(depth, quiet(1));
        updateKillers(depth, quiet(2));
    }
    clearKillers();
    for (int row = 0; row < KILLER_ROWS; ++row) {
        EXPECT_EQ(killerTable[row][0], 0u) << row;
        EXPECT_EQ(killerTable[row][1], 0u) << row;
    }
}

// Killer 2 at entry 3 and killer 1 at entry 7: list order decides, so entry 3 goes last.
TEST_F(OrderingTest, KillerToEndTakesTheFirstKillerInListOrder) {
    updateKillers(4, quiet(3));
    updateKillers(4, quiet(7));
    MoveList list = listOf({quiet(0), quiet(1), quiet(2), quiet(3), quiet(4), quiet(5), quiet(6), quiet(7), quiet(8)});
    EXPECT_EQ(killerToEnd(4, list), 1);
    EXPECT_EQ(contents(list), (std::vector<Move>{quiet(0), quiet(1), quiet(2), quiet(8), quiet(4), quiet(5), quiet(6),
                                                 quiet(7), quiet(3)}));
}

TEST_F(OrderingTest, KillerToEndUsesOnlyTheRowOfItsDepth) {
    updateKillers(4, quiet(1));
    updateKillers(5, quiet(2));
    MoveList list = listOf({quiet(0), quiet(2), quiet(3)});
    EXPECT_EQ(killerToEnd(4, list), 0);
    EXPECT_EQ(contents(list), (std::vector<Move>{quiet(0), quiet(2), quiet(3)}));
    EXPECT_EQ(killerToEnd(5, list), 1);
    EXPECT_EQ(contents(list), (std::vector<Move>{quiet(0), quiet(3), quiet(2)}));
}

TEST_F(OrderingTest, KillerToEndOnEdgeLists) {
    updateKillers(2, quiet(5));
    MoveList empty = listOf({});
    EXPECT_EQ(killerToEnd(2, empty), 0);

    MoveList killerLast = listOf({quiet(1), quiet(5)});
    EXPECT_EQ(killerToEnd(2, killerLast), 1);
    EXPECT_EQ(contents(killerLast), (std::vector<Move>{quiet(1), quiet(5)}));

    // Entries past the count are not part of the list.
    MoveList shortened = listOf({quiet(1), quiet(5)});
    shortened.count = 1;
    EXPECT_EQ(killerToEnd(2, shortened), 0);
}

// Counters 0, 5, 3, 9: the 5 move goes last first and raises the threshold to 5; entry 3 then
// holds that same move, which does not beat it, so the 9 move stays at entry 1.
TEST_F(OrderingTest, HistoryToEndFollowsTheRisingThreshold) {
    const Move moves[] = {quiet(0), quiet(1), quiet(2), quiet(3)};
    const int counters[] = {0, 5, 3, 9};
    for (int i = 0; i < 4; ++i) historyTable[moveFrom(moves[i])][moveTo(moves[i])] = counters[i];
    MoveList list = listOf({moves[0], moves[1], moves[2], moves[3]});
    historyToEnd(list);
    EXPECT_EQ(contents(list), (std::vector<Move>{moves[0], moves[3], moves[2], moves[1]}));
}

TEST_F(OrderingTest, HistoryToEndMovesOnlyCountersAboveOne) {
    historyTable[0][1] = 1;
    historyTable[0][2] = 1;
    MoveList list = listOf({quiet(0), quiet(1), quiet(2)});
    historyToEnd(list);
    EXPECT_EQ(contents(list), (std::vector<Move>{quiet(0), quiet(1), quiet(2)}));

    historyTable[0][2] = 2;
    historyToEnd(list);
    EXPECT_EQ(contents(list), (std::vector<Move>{quiet(0), quiet(2), quiet(1)}));

    MoveList empty = listOf({});
    historyToEnd(empty);
    EXPECT_EQ(empty.count, 0);
}

// The counter is found by the move's squares alone, whatever its kind or promotion.
TEST_F(OrderingTest, HistoryToEndReadsCountersByFromAndTo) {
    historyTable[12][28] = 36;
    const Move push = encodeMove(PAWN_PUSH, 12, 28);
    MoveList list = listOf({push, encodeMove(KNIGHT_MOVE, 6, 21), encodeMove(KING_MOVE, 4, 5)});
    historyToEnd(list);
    EXPECT_EQ(list.moves[2], push);
}

TEST_F(OrderingTest, ClearHistoryZeroesEveryCounter) {
    for (auto& row : historyTable)
        for (auto& counter : row) counter = 7;
    clearHistory();
    for (const auto& row : historyTable)
        for (const auto counter : row) ASSERT_EQ(counter, 0);
}
