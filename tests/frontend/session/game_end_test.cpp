#include "frontend/session/game_end.h"

#include <gtest/gtest.h>

#include "tests/support/capture_stdout.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <ostream>
#include <string>

#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"
#include "state/settings.h"
#include "tests/frontend/support/test_files.h"

namespace {

struct GameEndCase {
    const char* name;
    const char* fen;
    const char* moves;  // played before the call, blank-separated
    int expectedResult;
    const char* expectedOutput;
    const char* expectedLog;  // with logGame 1
};

// Positions reached by playing moves, so repetition and the fifty-move count come from real play.
const GameEndCase CASES[] = {
    {"FoolsMate", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "f2f3 e7e5 g2g4 d8h4", 1,
     "0-1 {Black mates}\n", "0-1 {Black mates}\n"},
    {"BackRankMate", "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "a1a8", 1, "1-0 {White mates}\n",
     "1-0 {White mates}\n"},
    {"Stalemate", "7k/8/6K1/8/8/8/8/5Q2 w - - 0 1", "f1f7", 1, "1/2-1/2 {Stalemate}\n",
     "1/2-1/2 {Stalemate}\n"},
    {"CheckThatIsNotMate", "6k1/6pp/8/8/8/8/5PPP/R5K1 w - - 0 1", "a1a8", 0, "", ""},
    {"OrdinaryMove", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", 0, "", ""},
    {"SecondOccurrenceGoesOn", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3 g8f6 f3g1 f6g8",
     0, "", ""},
    {"ThirdOccurrenceDraws", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", 1, "1/2-1/2 {Draw by repetition}\n",
     "1/2-1/2 {Draw by repetition}\n"},
    // The placement comes a third time, but the first had the right to castle.
    {"LostCastlingMakesANewPosition", "4k1n1/8/8/8/8/8/8/4K2R w K - 0 1", "h1h2 g8f6 h2h1 f6g8 h1h2 g8f6 h2h1 f6g8", 0,
     "", ""},
    {"Ply99GoesOn", "4k3/8/8/8/8/8/8/R3K3 w - - 98 80", "a1a2", 0, "", ""},
    {"Ply100Draws", "4k3/8/8/8/8/8/8/R3K3 w - - 99 80", "a1a2", 1, "1/2-1/2 {Draw by 50 move rule}\n", ""},
    {"CaptureRestartsTheCount", "4k3/8/8/8/8/8/r7/R3K3 w - - 99 80", "a1a2", 0, "", ""},
    {"MateOnPly100ThenFiftyMoves", "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 99 80", "a1a8", 1,
     "1-0 {White mates}\n1/2-1/2 {Draw by 50 move rule}\n", "1-0 {White mates}\n"},
    {"StalemateOnPly100ThenFiftyMoves", "7k/8/6K1/8/8/8/8/5Q2 w - - 99 80", "f1f7", 1,
     "1/2-1/2 {Stalemate}\n1/2-1/2 {Draw by 50 move rule}\n", "1/2-1/2 {Stalemate}\n"},
    {"RepetitionThenFiftyMoves", "4k3/8/8/8/8/8/8/R3K2N w - - 92 80", "h1g3 e8d8 g3h1 d8e8 h1g3 e8d8 g3h1 d8e8", 1,
     "1/2-1/2 {Draw by repetition}\n1/2-1/2 {Draw by 50 move rule}\n", "1/2-1/2 {Draw by repetition}\n"},
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const GameEndCase& c, std::ostream* out) { *out << c.name; }

class CheckGameEnd : public testing::TestWithParam<GameEndCase> {
protected:
    TempDir dir;
    std::string logPath = dir.file("game.log");

    void SetUp() override {
        const GameEndCase& c = GetParam();
        setStartPosition();
        ASSERT_EQ(readFen(c.fen), 1) << c.fen;
        std::istringstream moves(c.moves);
        std::string move;
        while (moves >> move) ASSERT_EQ(parseMove(move.c_str()), 1) << move;
    }
    void TearDown() override {
        if (engineSettings.logStream != nullptr) std::fclose(engineSettings.logStream);
        engineSettings = EngineSettings{};
    }
};

std::string checkGameEndOutput(int& result) {
    return stdoutOf([&] { result = checkGameEnd(); });
}

TEST_P(CheckGameEnd, PrintsItsLinesInOrderAndLeavesThePosition) {
    const GameEndCase& c = GetParam();
    const Position* top = currentPosition;
    const Position before = *currentPosition;
    int result = -1;
    EXPECT_EQ(checkGameEndOutput(result), c.expectedOutput);
    EXPECT_EQ(result, c.expectedResult);
    EXPECT_EQ(currentPosition, top);
    EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof(Position)), 0);
}

// Only the repetition, mate and stalemate lines reach the log, byte for byte.
TEST_P(CheckGameEnd, LogsTheResultWhenLoggingIsOn) {
    engineSettings.logStream = std::fopen(logPath.c_str(), "a");
    ASSERT_NE(engineSettings.logStream, nullptr);
    engineSettings.logGame = 1;
    int result = -1;
    checkGameEndOutput(result);
    std::fflush(engineSettings.logStream);
    EXPECT_EQ(readFile(logPath), GetParam().expectedLog);
}

// Any value but 1 means no log, even with an open stream.
TEST_P(CheckGameEnd, WritesNothingWhenLoggingIsOff) {
    engineSettings.logStream = std::fopen(logPath.c_str(), "a");
    ASSERT_NE(engineSettings.logStream, nullptr);
    engineSettings.logGame = 2;
    int result = -1;
    checkGameEndOutput(result);
    std::fflush(engineSettings.logStream);
    EXPECT_EQ(readFile(logPath), "");
}

// The silent outcome (for PGN) says what the first printed line says, and prints nothing.
TEST_P(CheckGameEnd, OutcomeAgreesWithTheFirstResultLine) {
    const GameEndCase& c = GetParam();
    const Position before = *currentPosition;
    GameOutcome outcome{};
    EXPECT_EQ(stdoutOf([&] { outcome = gameOutcome(); }), "");
    EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof(Position)), 0);
    const std::string expected = c.expectedOutput;
    if (c.expectedResult == 0) {
        EXPECT_STREQ(outcome.result, "*");
        EXPECT_EQ(outcome.reason, nullptr);
        return;
    }
    ASSERT_NE(outcome.reason, nullptr);
    const std::string line = std::string(outcome.result) + " {" + outcome.reason + "}\n";
    EXPECT_TRUE(expected.starts_with(line)) << expected << " vs " << line;
}

INSTANTIATE_TEST_SUITE_P(Positions, CheckGameEnd, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<GameEndCase>& test) { return test.param.name; });

// A game after a finished one logs into the same stream.
TEST(GameLog, KeepsWorkingAfterAGameEnds) {
    TempDir dir;
    const std::string path = dir.file("game.log");
    engineSettings.logStream = std::fopen(path.c_str(), "a");
    ASSERT_NE(engineSettings.logStream, nullptr);
    engineSettings.logGame = 1;
    int result = -1;
    logNewGame("fairymax");
    setStartPosition();
    for (const char* move : {"f2f3", "e7e5", "g2g4", "d8h4"}) {
        ASSERT_EQ(parseMove(move), 1);
        logUserMove(move);
    }
    checkGameEndOutput(result);
    logNewGame("second opponent");
    setStartPosition();
    ASSERT_EQ(parseMove("e2e4"), 1);
    logEngineMove("e2e4");
    std::fclose(engineSettings.logStream);
    engineSettings = EngineSettings{};
    EXPECT_EQ(readFile(path),
              "\n ************* New Game ************* \nOpponent Name: fairymax\n"
              "usermove f2f3\nusermove e7e5\nusermove g2g4\nusermove d8h4\n0-1 {Black mates}\n"
              "\n ************* New Game ************* \nOpponent Name: second opponent\nmove e2e4\n");
}

}  // namespace
