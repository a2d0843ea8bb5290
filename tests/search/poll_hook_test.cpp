// The front end's input hook: how often the search runs it, what a stop raised there does, and
// that a hook which reads nothing leaves the search as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "search/driver.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

constexpr const char* MIDDLEGAME = "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9";

std::vector<std::uint32_t> pollNodes;  // nodeCount at each call of the hook
void recordPoll() { pollNodes.push_back(nodeCount); }
void stopAtOnce() { gameState.stopSearch = 1; }
void readNothing() {}

class PollHookTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        pollNodes.clear();
    }
    void TearDown() override {
        searchPoll = nullptr;
        SearchTest::TearDown();
    }
    DeepeningResult quietDeepen(int depth) {
        testing::internal::CaptureStdout();
        const DeepeningResult result = deepen(depth);
        testing::internal::GetCapturedStdout();
        return result;
    }
};

TEST_F(PollHookTest, RunsEveryFewThousandNodes) {
    loadFen(MIDDLEGAME);
    searchPoll = recordPoll;
    const DeepeningResult result = quietDeepen(7);
    ASSERT_GT(pollNodes.size(), 20u);
    EXPECT_GE(result.nodes, std::uint64_t{pollNodes.size()} * 4096 / 2);
    // nodeCount restarts with every iteration, which polls at its first clock reading.
    int iterations = 0;
    std::uint32_t widest = 0;
    for (std::size_t i = 0; i < pollNodes.size(); ++i) {
        if (i == 0 || pollNodes[i] < pollNodes[i - 1]) {
            ++iterations;
            EXPECT_LT(pollNodes[i], 4096u) << "iteration " << iterations;
            continue;
        }
        const std::uint32_t gap = pollNodes[i] - pollNodes[i - 1];
        EXPECT_GE(gap, 4096u);
        widest = std::max(widest, gap);
    }
    EXPECT_GE(iterations, 6);  // depths 2 to 7, and any repeated depth
    // Past the interval, a gap holds what 32 time tests cover: a time test follows every move
    // of the main search, so at most the quiescence searches of 32 moves (here about 11000
    // nodes at worst).
    EXPECT_LT(widest, 8 * 4096u);
}

TEST_F(PollHookTest, AStopRaisedThereEndsTheSearch) {
    searchPoll = stopAtOnce;
    const DeepeningResult result = quietDeepen(32);
    EXPECT_EQ(result.depth, 2);
    EXPECT_EQ(result.bestMove, 0u);  // no iteration ran to the end
    EXPECT_LT(result.nodes, 4096u);
    EXPECT_NE(emergencyMove(), 0u);
}

TEST_F(PollHookTest, AHookThatReadsNothingChangesNothing) {
    loadFen(MIDDLEGAME);
    const DeepeningResult plain = quietDeepen(6);
    searchPoll = readNothing;
    const DeepeningResult hooked = quietDeepen(6);
    EXPECT_EQ(hooked.bestMove, plain.bestMove);
    EXPECT_EQ(hooked.score, plain.score);
    EXPECT_EQ(hooked.nodes, plain.nodes);
}

}  // namespace
