// Shared set-up for the search tests: fresh engine state, positions from FEN, captured output
// and scripted input.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "frontend/engine_state.h"
#include "movegen/movegen.h"
#include "search/ordering.h"
#include "search/transposition.h"

namespace search_test {

inline void loadFen(const char* fen) {
    setStartPosition();
    ASSERT_EQ(readFen(fen), 1) << fen;
}

// Plays moves given as coordinate text on the game's stack.
inline void play(std::initializer_list<const char*> moves) {
    for (const char* text : moves) ASSERT_EQ(parseMove(text), 1) << text;
}

// Coordinate text of a move of the current position, without the trailing blank.
inline std::string text(Move move) {
    char buffer[6];
    moveToText(buffer, move, *currentPosition);
    std::string s = buffer;
    if (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Whether `move` is a legal move of the current position.
inline bool isLegal(Move move) {
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    for (int i = 0; i < count; ++i) {
        if (moves[i] != move) continue;
        makeMove(move);
        const bool legal = !opponentKingAttacked(*currentPosition);
        takeBack();
        return legal;
    }
    return false;
}

// Makes the next reads of standard input see `input` (and then the end of input).
inline void feedInput(const std::string& input) {
    const std::string path = ::testing::TempDir() + "search_test_input.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(input.c_str(), file);
    std::fclose(file);
    ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
}

// Engine state as after start-up with default settings, empty tables and a generous clock.
class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        engineSettings = EngineSettings{};
        gameState = GameState{};
        timeControl = TimeControl{};
        gameState.searchStartTime = clockMs();
        nodeCount = 0;
        clearHash();
        clearHistory();
        clearKillers();
        setStartPosition();
    }
    void TearDown() override {
        if (engineSettings.logStream != nullptr) std::fclose(engineSettings.logStream);
        engineSettings.logStream = nullptr;
    }
};

}  // namespace search_test
