// Several lines per depth, and root moves chosen by the front end: the lines a search reports,
// their order, and the move it gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "search/driver.h"
#include "search/root_moves.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

struct ReportedLine {
    int depth, multiPv, lines, score;
    Move first;
    bool multiLine;
};

std::vector<ReportedLine> reported;

void record(const Iteration& iteration) {
    if (iteration.stopped) return;
    reported.push_back({iteration.depth, iteration.multiPv, iteration.lines, iteration.score, iteration.line->moves[0],
                        iteration.multiLine});
}

class MultiPvTest : public SearchTest {
protected:
    void TearDown() override {
        allowAllRootMoves();
        SearchTest::TearDown();
    }
    DeepeningResult search(int depth, int lines) {
        engineSettings.multiPv = lines;
        reported.clear();
        return deepen(depth, record);
    }
    // The lines reported at each depth, in the order they came.
    std::map<int, std::vector<ReportedLine>> byDepth() const {
        std::map<int, std::vector<ReportedLine>> depths;
        for (const ReportedLine& line : reported) depths[line.depth].push_back(line);
        return depths;
    }
};

// The lines of every depth: numbered 1..n, best first, each starting with another move.
void expectWellFormedDepths(const std::map<int, std::vector<ReportedLine>>& depths, int lines) {
    for (const auto& [depth, found] : depths) {
        ASSERT_EQ(static_cast<int>(found.size()), lines) << "depth " << depth;
        std::set<Move> firsts;
        for (int k = 0; k < lines; ++k) {
            EXPECT_EQ(found[k].multiPv, k + 1) << "depth " << depth;
            EXPECT_EQ(found[k].lines, lines);
            EXPECT_TRUE(found[k].multiLine);
            if (k > 0) {
                EXPECT_GE(found[k - 1].score, found[k].score) << "depth " << depth << " line " << k + 1;
            }
            EXPECT_TRUE(isLegal(found[k].first)) << text(found[k].first);
            firsts.insert(found[k].first);
        }
        EXPECT_EQ(static_cast<int>(firsts.size()), lines) << "a line repeats another's first move at depth " << depth;
    }
}

TEST_F(MultiPvTest, ThreeLinesPerDepthBestFirstAndTheMoveIsLineOne) {
    const DeepeningResult result = search(5, 3);
    const auto depths = byDepth();
    ASSERT_EQ(depths.size(), 4u);  // depths 2 to 5, none skipped
    expectWellFormedDepths(depths, 3);
    const ReportedLine& best = depths.at(5).front();
    EXPECT_EQ(result.bestMove, best.first);
    EXPECT_EQ(result.score, best.score);
    EXPECT_EQ(result.depth, 5);
}

// Every move is shown when there are fewer than asked for, the losing ones included, and the
// deepening goes as deep as with one line.
TEST_F(MultiPvTest, FewerMovesThanLinesShowsEachMoveAtEveryDepth) {
    // In check from the queen: Kxd2 wins it, Kf1 leaves white a rook against a queen.
    loadFen("4k3/8/8/8/8/8/3q4/4K2R w K - 0 1");
    Move legal[MAX_MOVES];
    const int count = allowedRootMoves(legal);
    ASSERT_EQ(count, 2);
    const DeepeningResult result = search(6, count + 5);
    const auto depths = byDepth();
    ASSERT_EQ(depths.size(), 5u);
    expectWellFormedDepths(depths, count);
    EXPECT_EQ(result.depth, 6);
    EXPECT_LT(depths.at(6).back().score, 0) << "a losing move's line is still shown";
}

TEST_F(MultiPvTest, OneLegalMoveGivesOneLineAFullDepth) {
    loadFen("R6k/8/5K2/8/8/8/8/8 b - - 0 1");
    const DeepeningResult result = search(5, 3);
    EXPECT_EQ(text(result.bestMove), "h8h7");
    EXPECT_EQ(result.depth, 5);
    for (const ReportedLine& line : reported) {
        EXPECT_EQ(line.multiPv, 1);
        EXPECT_TRUE(line.multiLine) << "the setting asks for several lines";
    }
}

// The moves a front end allows: the search looks at those alone, with one line or several.
TEST_F(MultiPvTest, ChosenRootMovesAloneAreSearched) {
    const std::set<std::string> chosen = {"a2a3", "h2h3"};
    std::vector<Move> moves;
    Move legal[MAX_MOVES];
    const int count = allowedRootMoves(legal);
    for (int i = 0; i < count; ++i)
        if (chosen.count(text(legal[i]))) moves.push_back(legal[i]);
    ASSERT_EQ(moves.size(), 2u);

    for (const int lines : {1, 3}) {
        allowOnlyRootMoves(moves.data(), 2);
        const DeepeningResult result = search(5, lines);
        EXPECT_TRUE(chosen.count(text(result.bestMove))) << text(result.bestMove);
        for (const ReportedLine& line : reported) EXPECT_TRUE(chosen.count(text(line.first))) << text(line.first);
        if (lines > 1) expectWellFormedDepths(byDepth(), 2);
        EXPECT_EQ(result.depth, 5);
    }
}

TEST_F(MultiPvTest, ExcludeAndIncludeChangeTheSet) {
    Move legal[MAX_MOVES];
    const int count = allowedRootMoves(legal);
    const DeepeningResult first = search(4, 1);
    excludeRootMove(first.bestMove);
    Move allowed[MAX_MOVES];
    EXPECT_EQ(allowedRootMoves(allowed), count - 1);
    const DeepeningResult second = search(4, 1);
    EXPECT_NE(second.bestMove, first.bestMove);
    includeRootMove(first.bestMove);
    EXPECT_EQ(allowedRootMoves(allowed), count);

    // The set belongs to its position: after a move it allows everything again.
    excludeRootMove(first.bestMove);
    play({"e2e4"});
    EXPECT_EQ(allowedRootMoves(allowed), 20);
}

// A choice that leaves no move is not applied to a search for a move: there is always one to give.
TEST_F(MultiPvTest, NothingAllowedStillGivesAMove) {
    allowOnlyRootMoves(nullptr, 0);
    Move allowed[MAX_MOVES];
    EXPECT_EQ(allowedRootMoves(allowed), 0);
    const DeepeningResult result = search(3, 1);
    EXPECT_TRUE(isLegal(result.bestMove));
}

// One line asked for: the search is today's, move for move and node for node.
TEST_F(MultiPvTest, OneLineIsTheSearchWithoutTheSetting) {
    engineSettings.multiPv = 1;
    const DeepeningResult plain = deepen(6, record);
    clearHash();
    clearHistory();
    setStartPosition();
    Move legal[MAX_MOVES];
    const int count = allowedRootMoves(legal);
    allowOnlyRootMoves(legal, count);  // every move allowed, but chosen
    const DeepeningResult chosen = deepen(6, record);
    EXPECT_EQ(chosen.bestMove, plain.bestMove);
    EXPECT_EQ(chosen.nodes, plain.nodes);
    EXPECT_EQ(chosen.score, plain.score);
}

}  // namespace
