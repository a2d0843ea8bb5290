#include "frontend/session/engine_turn.h"

#include <gtest/gtest.h>

#include "tests/support/capture_stdout.h"

#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/position.h"
#include "state/game_state.h"
#include "state/settings.h"

namespace {


void noBookMove(const char*) {}

// A game whose start position sits `records` records up the stack, as after a very long game.
class LongGame : public testing::Test {
protected:
    void placeStartAt(int records) {
        setStartPosition();
        positionStack[records] = positionStack[0];
        currentPosition = positionStack + records;
    }
    void TearDown() override {
        setStartPosition();
        gameState = GameState{};
        engineSettings = EngineSettings{};
    }
};

TEST_F(LongGame, TakesMovesWhileTheGameHasRoom) {
    placeStartAt(MAX_GAME_RECORDS - 2);
    EXPECT_EQ(makeGameMove("e2e4"), GAME_MOVE_MADE);
    EXPECT_EQ(stackIndex(), MAX_GAME_RECORDS - 1);
}

// The records above are the search's: a full game refuses even a legal move, and says why.
TEST_F(LongGame, RefusesAUserMoveWhenTheRecordIsFull) {
    placeStartAt(MAX_GAME_RECORDS - 1);
    EXPECT_EQ(makeGameMove("e2e4"), GAME_MOVE_NO_ROOM);
    const std::string output = stdoutOf([] { acceptUserMove("e2e4", 1); });
    EXPECT_EQ(output,
              "Illegal move (game record full): e2e4\n"
              "tellusererror Error (game record full): no more moves can be played in this game\n");
    EXPECT_EQ(stackIndex(), MAX_GAME_RECORDS - 1);
}

TEST_F(LongGame, EngineDoesNotMoveWhenTheRecordIsFull) {
    placeStartAt(MAX_GAME_RECORDS - 1);
    gameState.engineSide = WHITE;
    engineSettings.book = 0;
    engineSettings.maxDepth = 2;
    const std::string output = stdoutOf([] { engineTurn(TurnStyle{noBookMove, nullptr, nullptr}); });
    EXPECT_EQ(output, "tellusererror Error (game record full): no more moves can be played in this game\n");
    EXPECT_EQ(stackIndex(), MAX_GAME_RECORDS - 1);
}

TEST(TakeBackPlies, NeverStepsBelowTheFirstRecord) {
    setStartPosition();
    ASSERT_EQ(makeGameMove("e2e4"), GAME_MOVE_MADE);
    takeBackPlies(2);
    EXPECT_EQ(stackIndex(), 0);
    takeBackPlies(1);
    EXPECT_EQ(stackIndex(), 0);
    EXPECT_EQ(makeGameMove("e2e4"), GAME_MOVE_MADE);  // the start position is intact
}

}  // namespace
