// Shared set-up for the search tests: fresh engine state, positions from FEN, captured output
// and scripted input.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "frontend/input/line_input.h"
#include "movegen/movegen.h"
#include "search/ordering.h"
#include "search/search_hooks.h"
#include "search/transposition.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

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

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One thinking line: four right-aligned numbers in fields of 2, 6, 6 and 10 characters, each
// followed by a blank, then the variation starting with "1. ".
struct ThinkingLine {
    int depth, score;
    std::string variation;
};

inline bool parseThinkingLine(const std::string& line, ThinkingLine& out) {
    if (line.size() < 31 || line[2] != ' ' || line[9] != ' ' || line[16] != ' ' || line[27] != ' ') return false;
    if (line.compare(28, 3, "1. ") != 0) return false;
    long elapsed = 0, nodes = 0;
    if (std::sscanf(line.c_str(), "%d %d %ld %ld", &out.depth, &out.score, &elapsed, &nodes) != 4) return false;
    out.variation = line.substr(28);
    return true;
}

// The thinking lines of `output`, in order.
inline std::vector<ThinkingLine> thinkingLinesOf(const std::string& output) {
    std::vector<ThinkingLine> found;
    ThinkingLine t;
    for (const std::string& line : linesOf(output))
        if (parseThinkingLine(line, t)) found.push_back(t);
    return found;
}

// How many thinking lines of `output` have the given depth.
inline int thinkingLinesAt(const std::string& output, int depth) {
    int n = 0;
    for (const ThinkingLine& t : thinkingLinesOf(output)) n += t.depth == depth;
    return n;
}

// How many times `part` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

inline bool inputFed = false;

// Makes the next reads of standard input see `input` (and then the end of input).
inline void feedInput(const std::string& input) {
    inputFed = true;
    // One file per process: ctest runs test programs side by side.
    const std::string path = ::testing::TempDir() + "search_test_input_" + std::to_string(::getpid()) + ".txt";
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
        analysisInput = readInputLine;
        nodeCount = 0;
        clearHash();
        clearHistory();
        clearKillers();
        setStartPosition();
    }
    void TearDown() override {
        if (engineSettings.logStream != nullptr) std::fclose(engineSettings.logStream);
        engineSettings.logStream = nullptr;
        // Lines a test fed but nobody read stay buffered by the input reader; they must not
        // reach the next test.
        if (inputFed) {
            std::string unread;
            while (readInputLine(unread)) {
            }
            inputFed = false;
        }
    }
};

}  // namespace search_test
