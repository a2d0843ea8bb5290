// Reading "go" and turning it into the search's limits: the wire's milliseconds against the
// engine's centiseconds, and the mover's clock against the opponent's.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "board/fen.h"
#include "board/position.h"
#include "frontend/uci/uci_search.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

using Number = std::optional<std::int32_t>;
constexpr Number NONE = std::nullopt;

struct ReadCase {
    const char* name;
    const char* text;  // after "go "
    Number wtime, btime, winc, binc, movesToGo, moveTime, depth, nodes;
    bool infinite;
    const char* unreadable;
};

const ReadCase READ_CASES[] = {
    {"EveryWord", "wtime 1 btime 2 winc 3 binc 4 movestogo 5 movetime 6 depth 7 nodes 8 infinite", 1, 2, 3, 4, 5, 6,
     7, 8, true, ""},
    {"Nothing", "", NONE, NONE, NONE, NONE, NONE, NONE, NONE, NONE, false, ""},
    {"UnknownWordsAndTheirMovesAreSkipped", "ponder wtime 100 searchmoves e2e4 d2d4 btime 200 mate 3", 100, 200,
     NONE, NONE, NONE, NONE, NONE, NONE, false, ""},
    {"FlaggedClockIsNegative", "wtime -500 btime 700", -500, 700, NONE, NONE, NONE, NONE, NONE, NONE, false, ""},
    // A word without its number is left out; the word after it still counts.
    {"MissingNumberLeavesTheNextWord", "depth infinite nodes 5", NONE, NONE, NONE, NONE, NONE, NONE, NONE, 5, true,
     "depth"},
    {"NumberTooLargeOrNotWhole", "movetime 99999999999 depth 5x wtime 10", 10, NONE, NONE, NONE, NONE, NONE, NONE,
     NONE, false, "movetime"},
    {"WordAtTheEnd", "btime 5 depth", NONE, 5, NONE, NONE, NONE, NONE, NONE, NONE, false, "depth"},
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class ReadGo : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadGo, FillsTheWordsSent) {
    const ReadCase& c = GetParam();
    GoCommand go;
    EXPECT_EQ(readGo(c.text, go), c.unreadable);
    EXPECT_EQ(go.wtime, c.wtime);
    EXPECT_EQ(go.btime, c.btime);
    EXPECT_EQ(go.winc, c.winc);
    EXPECT_EQ(go.binc, c.binc);
    EXPECT_EQ(go.movesToGo, c.movesToGo);
    EXPECT_EQ(go.moveTime, c.moveTime);
    EXPECT_EQ(go.depth, c.depth);
    EXPECT_EQ(go.nodes, c.nodes);
    EXPECT_EQ(go.infinite, c.infinite);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadGo, testing::ValuesIn(READ_CASES),
                         [](const testing::TestParamInfo<ReadCase>& test) { return test.param.name; });

struct LimitCase {
    const char* name;
    const char* fen;
    const char* go;
    int depth;
    std::int32_t moveTime, allocatedTime;
    std::uint32_t nodes;
    std::int32_t timeLeft, opponentTimeLeft, increment;  // the clocks shown to the allocation
};

constexpr const char* WHITE_TO_MOVE = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* BLACK_TO_MOVE = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
constexpr std::int32_t UNSET = 12345;  // a clock the go does not touch keeps it
constexpr std::int32_t MAX_TIME = 360000;  // the MaxTime setting's default

const LimitCase LIMIT_CASES[] = {
    // Five minutes each and two seconds a move: 30000 / 20 + 200.
    {"WhiteClockWithIncrement", WHITE_TO_MOVE, "wtime 300000 btime 300000 winc 2000 binc 2000 movestogo 40", 32,
     MAX_TIME, 1700, 0, 30000, 30000, 200},
    // Black's one minute (a short clock: less the reserve) against white's five: 5900 / 30.
    {"BlackReadsItsOwnClock", BLACK_TO_MOVE, "wtime 300000 btime 60000 winc 5000 binc 0", 32, MAX_TIME, 196, 0,
     5900, 29900, 0},
    // Without the opponent's clock the two are taken as equal: 400 / 25.
    {"OpponentClockMissing", WHITE_TO_MOVE, "wtime 5000", 32, MAX_TIME, 16, 0, 400, 400, 0},
    {"OnlyTheOpponentsClock", WHITE_TO_MOVE, "btime 5000", 32, MAX_TIME, NO_TIME_LIMIT, 0, UNSET, UNSET, UNSET},
    // One centisecond less, since the time test is strict.
    {"MoveTime", WHITE_TO_MOVE, "movetime 2500", 32, 249, NO_TIME_LIMIT, 0, UNSET, UNSET, UNSET},
    {"DepthIsKeptInTheEnginesRange", WHITE_TO_MOVE, "depth 1 nodes 0", 2, MAX_TIME, NO_TIME_LIMIT, 1, UNSET,
     UNSET, UNSET},
    {"DeepestDepth", BLACK_TO_MOVE, "depth 50 nodes 20000", 32, MAX_TIME, NO_TIME_LIMIT, 20000, UNSET, UNSET,
     UNSET},
    {"InfiniteLiftsTheTimeLimits", WHITE_TO_MOVE, "infinite wtime 1000 btime 1000 movetime 10 depth 9", 9,
     NO_TIME_LIMIT, NO_TIME_LIMIT, 0, UNSET, UNSET, UNSET},
};

void PrintTo(const LimitCase& c, std::ostream* out) { *out << c.name; }

class SearchLimitsFor : public testing::TestWithParam<LimitCase> {
protected:
    void SetUp() override {
        engineSettings = EngineSettings{};
        timeControl = TimeControl{UNSET, UNSET, UNSET, 0, UNSET};
        setStartPosition();
    }
};

TEST_P(SearchLimitsFor, TheMoverAndItsClock) {
    const LimitCase& c = GetParam();
    ASSERT_EQ(readFen(c.fen), 1);
    GoCommand go;
    ASSERT_EQ(readGo(c.go, go), "");
    const SearchLimits limits = searchLimits(go);
    EXPECT_EQ(limits.depth, c.depth);
    EXPECT_EQ(limits.moveTime, c.moveTime);
    EXPECT_EQ(limits.allocatedTime, c.allocatedTime);
    EXPECT_EQ(limits.nodes, c.nodes);
    EXPECT_EQ(timeControl.timeLeft, c.timeLeft);
    EXPECT_EQ(timeControl.opponentTimeLeft, c.opponentTimeLeft);
    EXPECT_EQ(timeControl.increment, c.increment);
}

INSTANTIATE_TEST_SUITE_P(Commands, SearchLimitsFor, testing::ValuesIn(LIMIT_CASES),
                         [](const testing::TestParamInfo<LimitCase>& test) { return test.param.name; });

// Without "depth" or "movetime" the search goes as deep and as long as MaxDepth and MaxTime allow.
TEST(SearchLimitsDefaults, FollowTheSettings) {
    engineSettings = EngineSettings{};
    engineSettings.maxDepth = 7;
    engineSettings.moveTime = 500;
    setStartPosition();
    GoCommand go;
    readGo("wtime 1000", go);
    const SearchLimits limits = searchLimits(go);
    EXPECT_EQ(limits.depth, 7);
    EXPECT_EQ(limits.moveTime, 500);
}

}  // namespace
