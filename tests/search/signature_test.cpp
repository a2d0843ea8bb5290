// The search's behaviour signature: the benchmark positions at lowered depths (exactly what
// `search_bench -3` runs), with every best move, score and node count, plus a checksum of the
// transposition table and the principal variation after each search. A change that makes the
// search faster must leave all of it untouched; one that changes the search's decisions shows
// up here.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench/search_positions.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

constexpr int DEPTH_CHANGE = -3;

struct Expected {
    const char* move;
    int score;
    std::uint64_t nodes;
};

// In the order of SEARCH_BENCH_POSITIONS.
constexpr Expected EXPECTED[] = {
    {"e2e4", 21, 418549},     {"g1f3", 19, 389731},     {"d2d4", 28, 529035},     {"c4d5", -3, 731240},
    {"f7f6", -51, 640997},    {"e2a6", -10, 2041537},   {"c3d5", 6, 1802784},     {"c4c5", -457, 623299},
    {"d7c8q", 485, 452392},   {"f3e5", 2, 847715},      {"e6e5", -7, 743606},     {"g3g6", 29997, 162237},
    {"c4c3", 88, 71490},      {"e3g3", 155, 335836},    {"h6h7", 29997, 35890},   {"d5f6", 29997, 134493},
    {"b4f4", 24, 337774},     {"a1b2", 161, 24257},     {"e1e2", 515, 200434},    {"g3g4", 0, 288660},
    {"e1d2", 155, 300800},    {"d2b4", 461, 178290},
};
constexpr std::uint64_t EXPECTED_TOTAL_NODES = 11291046;
constexpr std::uint64_t EXPECTED_CHECKSUM = 0x0D51B6E1AEDAC08AULL;

constexpr std::uint64_t mix(std::uint64_t hash, std::uint64_t value) {
    return (hash ^ value) * 0x100000001B3ULL + (hash >> 29);
}

// Every entry of the table and the root's line, in order.
std::uint64_t searchStateChecksum(std::uint64_t hash) {
    for (std::size_t slot = 0; slot < hashEntryCount(); ++slot) {
        const HashEntry e = hashSlot(slot);
        if (e.key == 0 && e.move == 0 && e.score == 0) continue;
        hash = mix(hash, e.key);
        hash = mix(hash, (std::uint64_t{e.depth} << 40) | (std::uint64_t{e.flag} << 32) | std::uint32_t(e.score));
        hash = mix(hash, e.move);
    }
    hash = mix(hash, static_cast<std::uint64_t>(rootLine.length));
    for (int i = 0; i < rootLine.length && i < PV_LENGTH; ++i) hash = mix(hash, rootLine.moves[i]);
    return hash;
}

}  // namespace

class SearchSignatureTest : public SearchTest {};

TEST_F(SearchSignatureTest, BenchmarkPositionsAtLoweredDepths) {
    static_assert(std::size(EXPECTED) == std::size(SEARCH_BENCH_POSITIONS));
    engineSettings.postThinking = 0;
    engineSettings.moveTime = INT_MAX;
    timeControl.allocatedTime = INT_MAX;

    std::uint64_t total = 0, checksum = 0;
    std::string actual;
    for (std::size_t i = 0; i < std::size(SEARCH_BENCH_POSITIONS); ++i) {
        const SearchBenchPosition& position = SEARCH_BENCH_POSITIONS[i];
        SCOPED_TRACE(position.name);
        loadFen(position.fen);
        gameState.searchStartTime = clockMs();
        testing::internal::CaptureStdout();  // the mate lines
        const DeepeningResult result = deepen(searchBenchDepth(position, DEPTH_CHANGE));
        testing::internal::GetCapturedStdout();
        const std::string move = text(result.bestMove);
        EXPECT_EQ(move, EXPECTED[i].move);
        EXPECT_EQ(result.score, EXPECTED[i].score);
        EXPECT_EQ(result.nodes, EXPECTED[i].nodes);
        total += result.nodes;
        checksum = searchStateChecksum(checksum);
        actual += "{\"" + move + "\", " + std::to_string(result.score) + ", " + std::to_string(result.nodes) + "}, ";
    }
    EXPECT_EQ(total, EXPECTED_TOTAL_NODES);
    EXPECT_EQ(checksum, EXPECTED_CHECKSUM);
    if (HasFailure()) std::printf("actual: %s\ntotal %llu checksum 0x%016llX\n", actual.c_str(),
                                  static_cast<unsigned long long>(total), static_cast<unsigned long long>(checksum));
}
