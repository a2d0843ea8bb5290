#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "search/alphabeta.h"
#include "search/driver.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class DriverTest : public SearchTest {};

struct Thought {
    std::string output;
    std::string buffer;
    double seconds;
};

// Runs think as the front end does and returns what it printed and wrote into the buffer.
Thought runThink() {
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    gameState.searchStartTime = clockMs();
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStdout();
    think(buffer);
    Thought thought;
    thought.output = testing::internal::GetCapturedStdout();
    thought.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    thought.buffer = buffer;
    return thought;
}

// The text of the "move" line, or "" when there is none.
std::string announcedMove(const std::string& output) {
    for (const std::string& line : linesOf(output))
        if (line.starts_with("move ")) return line.substr(5);
    return "";
}

// Checks that `thought` announced a legal move of the position before it and made it.
void expectLegalMoveMade(const Thought& thought, const Position& before) {
    const std::string move = announcedMove(thought.output);
    ASSERT_EQ(move.size(), 5u) << thought.output;
    EXPECT_EQ(thought.buffer, move);
    ASSERT_EQ(stackIndex(), 1);
    const Position made = *currentPosition;
    currentPosition = positionStack;
    EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof before), 0);
    ASSERT_EQ(parseMove(move.c_str()), 1) << move;  // legal in the position before
    EXPECT_EQ(std::memcmp(currentPosition, &made, sizeof made), 0);
}

}  // namespace

TEST_F(DriverTest, AllocationFollowsTheClocks) {
    struct Case {
        int timeLeft, opponentTimeLeft, increment;
        int speed, allocated;
    };
    const Case cases[] = {
        {360000, 0, 0, 15, 24000},  // no time command: the opponent's clock reads 0
        {30000, 30000, 0, 20, 1500},
        {5000, 5000, 0, 25, 200},
        {5000, 5000, 300, 20, 550},  // a large increment skips the short-clock adjustment
        {1000, 2000, 500, 25, 40},   // 1000 - 40 - 500 is too little to add the increment
        {-500, 2000, 0, 30, -16},    // a flagged clock gives a negative allowance
    };
    for (const Case& c : cases) {
        timeControl.timeLeft = c.timeLeft;
        timeControl.opponentTimeLeft = c.opponentTimeLeft;
        timeControl.increment = c.increment;
        testing::internal::CaptureStdout();
        allocateTime();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "#DEBUG move speed: " + std::to_string(c.speed) +
                                                              "  allocated time: " + std::to_string(c.allocated) +
                                                              "\n");
        EXPECT_EQ(timeControl.allocatedTime, c.allocated);
    }
}

TEST_F(DriverTest, FindsMatesAndAnnouncesThem) {
    struct Case {
        const char* fen;
        const char* mateLine;
        const char* move;
    };
    const Case cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "Mate in 1 \n", "a1a8 "},
        {"r5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "Mate in 1 \n", "a8a1 "},
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", "Mate in 2 \n", "d5f6 "},
        {"r7/8/8/8/5k2/8/8/7K b - - 0 1", "Mate in 2 \n", "f4g3 "},
        {"k7/8/8/2K5/8/8/8/1R6 w - - 0 1", "Mate in 3 \n", "c5b6 "},
        {"1r6/8/8/8/2k5/8/8/K7 b - - 0 1", "Mate in 3 \n", "c4b3 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        loadFen(c.fen);
        const Position before = *currentPosition;
        const Thought thought = runThink();
        const std::string tail = std::string(c.mateLine) + "move " + c.move + "\n";
        EXPECT_TRUE(thought.output.ends_with(tail)) << thought.output;
        expectLegalMoveMade(thought, before);
    }
}

TEST_F(DriverTest, WinsAHangingQueenAndAvoidsStalemate) {
    loadFen("rnb1kbnr/pppp1ppp/8/4p3/3q4/4P3/PPPP1PPP/RNBQKBNR w KQkq - 0 3");
    engineSettings.maxDepth = 5;
    EXPECT_EQ(announcedMove(runThink().output), "e3d4 ");

    // Nxa1 wins a knight but leaves black without a move.
    loadFen("7k/5K1p/7P/8/8/8/PPN5/n7 w - - 0 1");
    testing::internal::CaptureStdout();
    const DeepeningResult result = deepen(6);
    testing::internal::GetCapturedStdout();
    EXPECT_GT(result.score, 100);
    EXPECT_NE(text(result.bestMove), "c2a1");
    EXPECT_TRUE(isLegal(result.bestMove));
}

TEST_F(DriverTest, PrintsOneThinkingLinePerIteration) {
    loadFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    engineSettings.maxDepth = 2;
    const Thought two = runThink();
    const std::vector<ThinkingLine> lines = thinkingLinesOf(two.output);
    ASSERT_EQ(lines.size(), 1u) << two.output;
    EXPECT_EQ(lines[0].depth, 2);
    EXPECT_TRUE(two.output.starts_with("#DEBUG move speed: 15  allocated time: 24000\n"));

    setStartPosition();
    engineSettings.postThinking = 0;
    engineSettings.maxDepth = 5;
    const Thought quiet = runThink();
    EXPECT_EQ(quiet.output, "#DEBUG move speed: 15  allocated time: 24000\nmove " + quiet.buffer + "\n");
}

// An aspiration failure prints its line and searches the same depth again with the full window.
TEST_F(DriverTest, FailedAspirationRepeatsTheDepth) {
    loadFen("k7/8/8/2K5/8/8/8/1R6 w - - 0 1");
    const Thought thought = runThink();
    // Depth 6 fails high against the window around the depth-5 score; the full-window search
    // of depth 6 then finds the mate.
    EXPECT_EQ(thinkingLinesAt(thought.output, 6), 1);
    EXPECT_TRUE(thought.output.ends_with("Mate in 3 \nmove c5b6 \n")) << thought.output;
}

TEST_F(DriverTest, MoveIsLoggedWhenLoggingIsOn) {
    const std::string path = testing::TempDir() + "driver_log.txt";
    engineSettings.logGame = 1;
    engineSettings.logStream = std::fopen(path.c_str(), "w");
    ASSERT_NE(engineSettings.logStream, nullptr);
    engineSettings.maxDepth = 3;
    const Thought thought = runThink();
    std::fclose(engineSettings.logStream);
    engineSettings.logStream = nullptr;
    std::ifstream log(path);
    std::stringstream logged;
    logged << log.rdbuf();
    EXPECT_EQ(thinkingLinesOf(logged.str()).size(), thinkingLinesOf(thought.output).size());
    EXPECT_GE(thinkingLinesOf(logged.str()).size(), 2u);
    EXPECT_TRUE(logged.str().ends_with("\nmove " + thought.buffer + "\n")) << logged.str();
}

// The game position itself counts as drawn for the search; a real move must still come out.
TEST_F(DriverTest, PlaysAMoveWhenTheGamePositionIsDrawn) {
    struct Case {
        const char* name;
        int rule50;
        bool repeat;
    };
    const Case cases[] = {{"third occurrence", -1, true}, {"fifty moves", 100, false}, {"past fifty", 101, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadFen("4k3/8/8/8/8/8/8/QN2K3 w - - 0 1");
        if (c.repeat) play({"b1c3", "e8e7", "c3b1", "e7e8", "b1c3", "e8e7", "c3b1", "e7e8"});
        if (c.rule50 >= 0) currentPosition->rule50 = static_cast<std::uint8_t>(c.rule50);
        const int gameRecords = stackIndex();
        engineSettings.maxDepth = 4;
        const Thought thought = runThink();
        ASSERT_EQ(announcedMove(thought.output).size(), 5u) << thought.output;
        EXPECT_EQ(stackIndex(), gameRecords + 1);
        // Past the repetition the queen counts again; past fifty moves every line is drawn.
        if (c.repeat) {
            const std::vector<ThinkingLine> lines = thinkingLinesOf(thought.output);
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back().depth, 4);
            EXPECT_GT(lines.back().score, 800) << thought.output;
        }
        takeBack();
        EXPECT_EQ(parseMove(thought.buffer.c_str()), 1);
    }
}

TEST_F(DriverTest, NoMoveWithoutALegalMove) {
    for (const char* fen : {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "7k/5K1p/7P/8/8/8/8/8 b - - 0 1"}) {
        SCOPED_TRACE(fen);
        loadFen(fen);
        const Thought thought = runThink();
        EXPECT_EQ(thought.output, "#DEBUG move speed: 15  allocated time: 24000\n");
        EXPECT_EQ(thought.buffer, "");
        EXPECT_EQ(stackIndex(), 0);
    }
}

// "st 1": the search stops once more than a second has passed and answers at once.
TEST_F(DriverTest, FixedMoveTimeIsKept) {
    loadFen("r1bq1rk1/pp2nppp/2n1p3/3pP3/1b1P4/2NB1N2/PP3PPP/R1BQK2R w KQ - 0 9");
    const Position before = *currentPosition;
    engineSettings.moveTime = 100;
    const Thought thought = runThink();
    EXPECT_GE(thought.seconds, 1.0);
    EXPECT_LT(thought.seconds, 3.0);
    expectLegalMoveMade(thought, before);
}

// With no time at all the first iteration is stopped before it knows a move.
TEST_F(DriverTest, TinyOrNegativeClockStillAnswersALegalMove) {
    for (const int clock : {0, 1, -500}) {
        SCOPED_TRACE(clock);
        loadFen("r1bq1rk1/pp2nppp/2n1p3/3pP3/1b1P4/2NB1N2/PP3PPP/R1BQK2R w KQ - 0 9");
        const Position before = *currentPosition;
        timeControl.timeLeft = clock;
        timeControl.opponentTimeLeft = clock;
        const Thought thought = runThink();
        EXPECT_LT(thought.seconds, 1.0);
        expectLegalMoveMade(thought, before);
    }
    // The same when the fixed move time is the limit.
    loadFen("r1bq1rk1/pp2nppp/2n1p3/3pP3/1b1P4/2NB1N2/PP3PPP/R1BQK2R w KQ - 0 9");
    const Position before = *currentPosition;
    engineSettings.moveTime = -1;
    expectLegalMoveMade(runThink(), before);
}

TEST_F(DriverTest, NoMoveIsMadeWithoutRoomOnTheStack) {
    loadFen("6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1");
    const Position game = *currentPosition;
    for (const int room : {0, 1}) {
        SCOPED_TRACE(room);
        Position* top = positionStack + POSITION_STACK_SIZE - 1 - room;
        *top = game;
        currentPosition = top;
        const Thought thought = runThink();
        if (room == 0) {
            EXPECT_EQ(announcedMove(thought.output), "");
            EXPECT_EQ(thought.buffer, "");
            EXPECT_EQ(currentPosition, top);
        } else {
            EXPECT_EQ(announcedMove(thought.output).size(), 5u);
            EXPECT_EQ(currentPosition, top + 1);
        }
    }
    setStartPosition();
}
