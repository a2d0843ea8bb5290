// The engine's static exchange against the literal procedure of the reference: the same values,
// the same recaptures and the same node counts, on every capture and every square of many
// positions (the benchmark positions and everything one legal move or two captures away).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bench/search_positions.h"
#include "exchange_reference.h"
#include "search/quiescence.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class ExchangeEquivalenceTest : public SearchTest {};

// Runs `f` and returns how many nodes it counted.
template <typename F>
std::uint32_t nodesOf(F&& f) {
    const std::uint32_t before = nodeCount;
    f();
    return nodeCount - before;
}

void compareOnEverySquare() {
    for (int square = 0; square < 64; ++square) {
        ScoredMove fast{}, slow{};
        const std::uint32_t fastNodes = nodesOf([&] { fast = cheapestRecapture(square); });
        const std::uint32_t slowNodes = nodesOf([&] { slow = reference::cheapestRecapture(square); });
        ASSERT_EQ(fast.move, slow.move) << square;
        ASSERT_EQ(fast.score, slow.score) << square;
        ASSERT_EQ(fastNodes, slowNodes) << square;
        int fastValue = 0, slowValue = 0;
        const std::uint32_t fastValueNodes = nodesOf([&] { fastValue = exchangeOnSquare(square); });
        const std::uint32_t slowValueNodes = nodesOf([&] { slowValue = reference::exchangeOnSquare(square); });
        ASSERT_EQ(fastValue, slowValue) << square;
        ASSERT_EQ(fastValueNodes, slowValueNodes) << square;
    }
}

void compareInCurrentPosition() {
    const Position before = *currentPosition;
    ScoredMoveList all;
    generateCaptures(all);
    for (int i = 0; i < all.count; ++i) {
        const Move move = all.entries[i].move;
        int fast = 0, slow = 0;
        const std::uint32_t fastNodes = nodesOf([&] { fast = staticExchange(move); });
        const std::uint32_t slowNodes = nodesOf([&] { slow = reference::staticExchange(move); });
        ASSERT_EQ(fast, slow) << text(move);
        ASSERT_EQ(fastNodes, slowNodes) << text(move);
    }
    compareOnEverySquare();
    if (::testing::Test::HasFatalFailure()) return;
    ScoredMoveList fast{}, slow{};
    const std::uint32_t fastNodes = nodesOf([&] { collectGoodCaptures(fast); });
    const std::uint32_t slowNodes = nodesOf([&] { reference::collectGoodCaptures(slow); });
    ASSERT_EQ(fast.count, slow.count);
    for (int i = 0; i < fast.count; ++i) {
        ASSERT_EQ(fast.entries[i].move, slow.entries[i].move);
        ASSERT_EQ(fast.entries[i].score, slow.entries[i].score);
    }
    ASSERT_EQ(fastNodes, slowNodes);
    ASSERT_EQ(std::memcmp(&before, currentPosition, sizeof before), 0);
}

std::vector<Move> legalMoves() {
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    std::vector<Move> legal;
    for (int i = 0; i < count; ++i)
        if (isLegal(moves[i])) legal.push_back(moves[i]);
    return legal;
}

// This position, every position one legal move away, and from those every capture and the
// captures after it.
void compareAround(int capturePlies, bool allMoves) {
    compareInCurrentPosition();
    if (::testing::Test::HasFatalFailure() || capturePlies == 0) return;
    for (const Move move : legalMoves()) {
        const bool capture = (moveKind(move) & 8) != 0 || moveKind(move) == PROMOTION;
        if (!allMoves && !capture) continue;
        makeMove(move);
        compareAround(capturePlies - (allMoves ? 0 : 1), false);
        takeBack();
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace

TEST_F(ExchangeEquivalenceTest, SameValuesAndNodesAsTheLiteralProcedure) {
    std::vector<const char*> fens;
    for (const SearchBenchPosition& position : SEARCH_BENCH_POSITIONS) fens.push_back(position.fen);
    for (const char* fen : {
             "3qk3/8/2p5/3R4/8/2N1N3/8/4R2K b - - 0 1",           // two knights, one uncovering check
             "1r2k1n1/2P3P1/8/8/8/8/1p4p1/R3K1N1 w Q - 0 1",      // promotions onto occupied squares
             "4k3/2p5/8/3pP3/8/8/8/4K3 w - d6 0 1",               // en passant
             "6k1/8/8/3p1n2/p3P3/1p5p/2Q5/r5NK w - - 0 1",        // pins
             "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
             "2r1r1k1/pp1q1ppp/3b1n2/3p4/3P1B2/2NQ1N2/PP3PPP/2R1R1K1 w - - 0 1",
         })
        fens.push_back(fen);
    for (const char* fen : fens) {
        SCOPED_TRACE(fen);
        loadFen(fen);
        compareAround(2, true);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// A record turned over in place by the null move keeps the other side's en-passant file, whose
// target square may then hold a piece that en passant "captures" too.
TEST_F(ExchangeEquivalenceTest, StaleEnPassantFileAfterANullMove) {
    for (const char* fen : {"4k3/8/3p1p2/3nPb2/8/8/8/4K3 w - - 0 1", "4k3/8/2ppp3/3P4/8/8/8/4K3 w - - 0 1"}) {
        SCOPED_TRACE(fen);
        loadFen(fen);
        for (int file = 0; file < 8; ++file) {
            SCOPED_TRACE(file);
            currentPosition->enPassant = static_cast<std::uint8_t>(file);
            compareOnEverySquare();
            if (HasFatalFailure()) return;
        }
    }
}
