#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "frontend/input/line_input.h"
#include "search/alphabeta.h"
#include "search/thinking.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class ThinkingTest : public SearchTest {};

// Record squares of a move as its mover sees it: for black the ranks are mirrored.
Move whiteMove(int from, int to, int promotion = 0) {
    return encodeMove(promotion ? PROMOTION : PAWN_PUSH, from, to, promotion);
}
Move blackMove(int from, int to, int promotion = 0) { return whiteMove(from ^ 56, to ^ 56, promotion); }

// Squares by name: "e2" -> 12.
constexpr int sq(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

void setRootLine(std::initializer_list<Move> moves) {
    rootLine = PvLine{};
    for (Move m : moves) rootLine.moves[rootLine.length++] = m;
}

std::string thinkingLine() {
    testing::internal::CaptureStdout();
    printThinkingHeader(5, -23);
    printPrincipalVariation();
    return testing::internal::GetCapturedStdout();
}


std::string analyzeWithInput(const std::string& input, int limit) {
    feedInput(input);
    testing::internal::CaptureStdout();
    analyze(limit);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST_F(ThinkingTest, HeaderHasFixedWidthFields) {
    gameState.searchStartTime = clockMs() - 1040;  // 104 centiseconds, give or take a few ms
    nodeCount = 12345;
    setRootLine({whiteMove(sq("e2"), sq("e4")), blackMove(sq("e7"), sq("e5"))});
    EXPECT_EQ(thinkingLine(), " 5    -23    104      12345 1. e2e4 e7e5 \n");
}

TEST_F(ThinkingTest, VariationIsNumberedFromTheRootSide) {
    struct Case {
        const char* name;
        const char* fen;
        std::initializer_list<Move> line;
        const char* variation;
    };
    const Case cases[] = {
        {"white", "4k3/8/8/8/8/8/8/4K3 w - - 0 1",
         {whiteMove(sq("e2"), sq("e4")), blackMove(sq("e7"), sq("e5")), whiteMove(sq("g1"), sq("f3"))},
         "1. e2e4 e7e5 2. g1f3 \n"},
        {"black", "4k3/8/8/8/8/8/8/4K3 b - - 0 1",
         {blackMove(sq("e7"), sq("e5")), whiteMove(sq("g1"), sq("f3")), blackMove(sq("b8"), sq("c6"))},
         "1. .. e7e5 2. g1f3 b8c6 \n"},
        {"promotions", "4k3/8/8/8/8/8/8/4K3 w - - 0 1",
         {whiteMove(sq("e7"), sq("e8"), QUEEN), blackMove(sq("a2"), sq("a1"), KNIGHT), whiteMove(sq("e8"), sq("e1"))},
         "1. e7e8q a2a1n 2. e8e1 \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadFen(c.fen);
        setRootLine(c.line);
        const std::string line = thinkingLine();
        ASSERT_GE(line.size(), 28u);
        EXPECT_EQ(line.substr(28), c.variation);
    }
}

TEST_F(ThinkingTest, FirstMoveIsPrintedEvenForAnEmptyLine) {
    setRootLine({whiteMove(sq("d2"), sq("d4")), blackMove(sq("d7"), sq("d5"))});
    rootLine.length = 0;
    EXPECT_EQ(thinkingLine().substr(28), "1. d2d4 \n");

    // Sixteen moves at most, numbered on.
    setRootLine({});
    for (int i = 0; i < PV_LENGTH; ++i)
        rootLine.moves[i] = i % 2 == 0 ? whiteMove(sq("g1"), sq("f3")) : blackMove(sq("g8"), sq("f6"));
    rootLine.length = PV_LENGTH;
    const std::string line = thinkingLine().substr(28);
    EXPECT_EQ(occurrences(line, "g1f3 ") + occurrences(line, "g8f6 "), 16);
    EXPECT_NE(line.find(" 8. g1f3 g8f6 \n"), std::string::npos);
}

TEST_F(ThinkingTest, LineIsCopiedToTheGameLog) {
    const std::string path = testing::TempDir() + "thinking_log.txt";
    engineSettings.logGame = 1;
    engineSettings.logStream = std::fopen(path.c_str(), "w");
    ASSERT_NE(engineSettings.logStream, nullptr);
    setRootLine({whiteMove(sq("e2"), sq("e4"))});
    const std::string printed = thinkingLine();
    std::fclose(engineSettings.logStream);
    engineSettings.logStream = nullptr;
    std::ifstream log(path);
    std::stringstream logged;
    logged << log.rdbuf();
    EXPECT_EQ(logged.str(), printed);
}

TEST_F(ThinkingTest, PvMoveTextMirrorsBlackMoves) {
    char buffer[8];
    EXPECT_EQ(pvMoveText(buffer, whiteMove(sq("b7"), sq("b8"), ROOK), 0), 6);
    EXPECT_STREQ(buffer, "b7b8r ");
    EXPECT_EQ(pvMoveText(buffer, blackMove(sq("h7"), sq("h5")), 1), 5);
    EXPECT_STREQ(buffer, "h7h5 ");
}

// Between iterations the analysis waits for a line: moves and "." are dropped, "exit" ends it.
TEST_F(ThinkingTest, AnalysisRunsUntilExit) {
    const std::string out = analyzeWithInput(".\nusermove e2e4\nexit \nexit\nnever read\n", 32);
    EXPECT_EQ(thinkingLinesOf(out).size(), 4u);
    EXPECT_TRUE(out.ends_with("#DEBUG exit da polling\n")) << out;
    EXPECT_EQ(gameState.engineSide, SIDE_NONE);
    EXPECT_EQ(gameState.stopSearch, 1);
    EXPECT_EQ(currentPosition, positionStack);
    std::string rest;
    ASSERT_TRUE(readInputLine(rest));
    EXPECT_EQ(rest, "never read");
}

TEST_F(ThinkingTest, AnalysisChangesTheMoveTime) {
    const std::string out = analyzeWithInput("st 0\nst 7\nst\nstop\nexit\n", 32);
    EXPECT_NE(out.find("Error (movetime out of bound): Insert movetime > 0 \n"
                       "tellusererror Error (movetime out of bound): Insert movetime > 0 \n"),
              std::string::npos);
    EXPECT_NE(out.find("#DEBUG movetime:7\n"), std::string::npos);
    EXPECT_EQ(engineSettings.moveTime, 700);
    EXPECT_EQ(occurrences(out, "#DEBUG movetime"), 1);
    EXPECT_EQ(thinkingLinesOf(out).size(), 5u);
}

TEST_F(ThinkingTest, AnalysisEndsAtEndOfInputOrAnOverlongLine) {
    for (const std::string& input : {std::string(""), std::string("."), std::string(300, 'x') + "\nexit\n"}) {
        SCOPED_TRACE(input.size());
        gameState = GameState{};
        gameState.engineSide = 1;
        gameState.searchStartTime = clockMs();
        const std::string out = analyzeWithInput(input, 32);
        EXPECT_EQ(thinkingLinesAt(out, 2), 1);
        EXPECT_EQ(thinkingLinesAt(out, 3), input == "." ? 1 : 0);
        EXPECT_EQ(out.find("exit da polling"), std::string::npos);
        EXPECT_EQ(gameState.stopSearch, 1);
        EXPECT_EQ(gameState.engineSide, 1);
    }
}

TEST_F(ThinkingTest, AnalysisStopsAtTheDepthLimit) {
    EXPECT_EQ(analyzeWithInput("", 1), "");
    const std::string out = analyzeWithInput(".\n.\n.\n", 3);
    EXPECT_EQ(thinkingLinesAt(out, 2), 1);
    EXPECT_EQ(thinkingLinesAt(out, 3), 1);
    EXPECT_EQ(thinkingLinesAt(out, 4), 0);
    std::string rest;
    ASSERT_TRUE(readInputLine(rest));  // the third line was left for the command loop
    EXPECT_EQ(rest, ".");
}

// A mate ends the analysis at once, its line cut to as many moves as the mate is moves away.
TEST_F(ThinkingTest, AnalysisShowsAMateAndStops) {
    loadFen("k7/8/8/2K5/8/8/8/1R6 w - - 0 1");
    const std::string out = analyzeWithInput(".\n.\n.\n.\n.\n.\nexit\n", 32);
    const std::vector<ThinkingLine> lines = thinkingLinesOf(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(out.ends_with("\n")) << out;
    EXPECT_EQ(lines.back().depth, 6);
    EXPECT_EQ(lines.back().score, MATE_SCORE - 5);
    // Mate in three: three moves of the line, the first of them c5b6.
    EXPECT_TRUE(lines.back().variation.starts_with("1. c5b6 ")) << lines.back().variation;
    EXPECT_EQ(occurrences(lines.back().variation, " "), 5) << lines.back().variation;  // "1. " "2. " and three moves
    EXPECT_EQ(out.find("exit da polling"), std::string::npos);
}

TEST_F(ThinkingTest, NothingToAnalyseWithoutALegalMove) {
    loadFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");  // checkmated
    EXPECT_EQ(analyzeWithInput("exit\n", 32), "");
    loadFen("7k/5K1p/7P/8/8/8/8/8 b - - 0 1");  // stalemated
    EXPECT_EQ(analyzeWithInput("exit\n", 32), "");
}

TEST_F(ThinkingTest, NoThinkingLinesWithoutPost) {
    engineSettings.postThinking = 0;
    EXPECT_EQ(analyzeWithInput(".\nexit\n", 32), "#DEBUG exit da polling\n");
}
