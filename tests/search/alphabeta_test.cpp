#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "book/position_key.h"
#include "search/alphabeta.h"
#include "search/quiescence.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class AlphaBetaTest : public SearchTest {};

// The table entry of the current position, or none when its slot holds another one.
std::optional<HashEntry> entryOfCurrentPosition() {
    const PositionKey key = computePositionKey();
    const HashEntry entry = hashSlot(key & hashTable.slotMask);
    if (entry.key != key) return std::nullopt;
    return entry;
}

int search(int depth, int alpha, int beta, int nullAllowed = 1) {
    PvLine line{};
    return alphaBeta(depth, alpha, beta, line, MATE_SCORE, nullAllowed);
}

// White: king f7, pawn h6 and pawns on the second rank; black: king h8, pawn h7 and nothing
// that can move. Black is stalemated whenever it is to move.
constexpr const char* BOXED_IN_10 = "7k/5K1p/7P/8/8/8/PPPPPP2/8 w - - 0 1";
constexpr const char* BOXED_IN_9 = "7k/5K1p/7P/8/8/8/PPPPP3/8 w - - 0 1";
constexpr const char* BOXED_IN_11 = "7k/5K1p/7P/8/8/8/PPPPPPP1/8 w - - 0 1";

}  // namespace

// After a null move black is stalemated, so the null-move search returns 0 whatever its window:
// a node that tries the null move returns that 0 (above beta), one that does not returns beta.
TEST_F(AlphaBetaTest, NullMoveOnlyWithDepthPiecesAndPermission) {
    struct Case {
        const char* fen;
        int depth, nullAllowed;
        int expected;
    };
    const Case cases[] = {
        {BOXED_IN_10, 5, 1, 0},    // 10 pieces > 5 + 4
        {BOXED_IN_9, 5, 1, -50},   // 9 pieces are not enough at depth 5
        {BOXED_IN_10, 4, 1, -50},  // never at depth 4
        {BOXED_IN_10, 5, 0, -50},  // never right after a null move
        {BOXED_IN_10, 6, 1, -50},  // depth 6 needs more than 10 pieces
        {BOXED_IN_11, 6, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fen << " depth " << c.depth << " nullAllowed " << c.nullAllowed);
        clearHash();
        loadFen(c.fen);
        EXPECT_EQ(search(c.depth, -INFINITE_SCORE, -50, c.nullAllowed), c.expected);
    }
}

// The null-move search stores its result under the turned-over position, so the table shows
// whether it ran.
TEST_F(AlphaBetaTest, NoNullMoveInCheck) {
    auto nullMoveTried = [] {
        flipBoard(*currentPosition);
        const bool found = entryOfCurrentPosition().has_value();
        flipBoard(*currentPosition);
        return found;
    };
    loadFen("3r2k1/8/8/8/8/8/PPPP1PPP/RNBQKBNR w - - 0 1");
    search(5, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_TRUE(nullMoveTried());

    clearHash();
    loadFen("4r1k1/8/8/8/8/8/PPPP1PPP/RNBQKBNR w - - 0 1");  // the e8 rook gives check
    search(5, -INFINITE_SCORE, INFINITE_SCORE);
    EXPECT_FALSE(nullMoveTried());
}

// With a window no move can stay below, the first move searched cuts off and is stored.
TEST_F(AlphaBetaTest, HashMoveIsSearchedFirstAtTheRoot) {
    const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    const Move quietMove = encodeMove(PAWN_PUSH, 8, 16);       // a2a3, generated among the last
    const Move damaged = encodeMove(KNIGHT_MOVE, 0, 63);        // no knight on a1
    struct Case {
        Move stored;
        const char* firstSearched;
    };
    const Case cases[] = {
        {quietMove, "a2a3"},
        {damaged, "e2a6"},  // skipped; the best-scored capture (bishop takes bishop) goes first
        {0, "e2a6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstSearched);
        clearHash();
        loadFen(fen);
        storeHash(0, 0, HASH_EXACT, c.stored);  // too shallow for a score: only its move counts
        EXPECT_EQ(search(2, -INFINITE_SCORE, -INFINITE_SCORE + 1), -INFINITE_SCORE + 1);
        std::optional<HashEntry> entry = entryOfCurrentPosition();
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->flag, HASH_LOWER);
        EXPECT_EQ(text(entry->move), c.firstSearched);
        EXPECT_EQ(currentPosition, positionStack);
    }
}

TEST_F(AlphaBetaTest, DrawsByRepetitionAndTheFiftyMoveRule) {
    // White is a queen up; knight and king go back and forth until the third occurrence.
    loadFen("4k3/8/8/8/8/8/8/QN2K3 w - - 0 1");
    play({"b1c3", "e8e7", "c3b1", "e7e8", "b1c3", "e8e7", "c3b1", "e7e8"});
    ASSERT_EQ(currentPosition->repetition, 2);
    PvLine line{};
    line.length = 5;
    EXPECT_EQ(alphaBeta(3, -1000, 1000, line, MATE_SCORE, 1), 0);
    EXPECT_EQ(line.length, 5);  // a draw leaves the line as it was
    EXPECT_TRUE(drawnForSearch());

    // The drivers' root search still looks at the moves.
    rootLine = PvLine{};
    EXPECT_GT(searchRoot(3, -INFINITE_SCORE, INFINITE_SCORE), 800);
    EXPECT_TRUE(isLegal(rootLine.moves[0]));

    struct Case {
        const char* fen;
        int rule50;
        int expected;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/QN2K3 w - - 0 1", 101, 0},
        {"4k3/8/8/8/8/8/8/QN2K3 w - - 0 1", 100, 0},
        // Checkmated on the hundredth ply: the mate still counts.
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 100, -MATE_SCORE},
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 99, -MATE_SCORE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fen << " rule50 " << c.rule50);
        clearHash();
        loadFen(c.fen);
        currentPosition->rule50 = static_cast<std::uint8_t>(c.rule50);
        EXPECT_EQ(search(3, -1000, 1000), c.expected);
    }
}

TEST_F(AlphaBetaTest, MateAndStalemateIgnoreTheWindow) {
    loadFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
    PvLine line{};
    EXPECT_EQ(alphaBeta(2, -1000, 1000, line, MATE_SCORE - 3, 1), -(MATE_SCORE - 3));
    std::optional<HashEntry> mated = entryOfCurrentPosition();
    ASSERT_TRUE(mated.has_value());
    EXPECT_EQ(mated->flag, HASH_EXACT);
    EXPECT_EQ(mated->score, -(MATE_SCORE - 3));

    clearHash();
    loadFen("7k/5K1p/7P/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(search(2, 100, 200), 0);  // even with alpha above 0
    std::optional<HashEntry> stalemate = entryOfCurrentPosition();
    ASSERT_TRUE(stalemate.has_value());
    EXPECT_EQ(stalemate->flag, HASH_UPPER);
    EXPECT_EQ(stalemate->score, 0);
    EXPECT_EQ(text(stalemate->move), "h8g8");  // the last (illegal) king step taken from the list
}

TEST_F(AlphaBetaTest, DepthZeroIsQuiescenceWithAnEmptyLine) {
    loadFen("4k3/8/2p5/3n4/4P3/8/3Q4/4K3 w - - 0 1");
    for (const auto& [alpha, beta] : {std::pair{-5000, 5000}, std::pair{0, 10}, std::pair{-900, -800}}) {
        PvLine line{};
        line.length = 3;
        EXPECT_EQ(alphaBeta(0, alpha, beta, line, MATE_SCORE, 1), quiesce(alpha, beta, MATE_SCORE));
        EXPECT_EQ(line.length, 0);
    }
}

// Black is stalemated after every pawn move, so white's first quiet move (a2a4, taken from the
// end of the list) scores 0 and cuts off at depth 6.
TEST_F(AlphaBetaTest, QuietCutOffFeedsHistoryKillersAndTable) {
    loadFen("7k/5K1p/7P/8/8/8/P7/8 w - - 0 1");
    const Move oldKiller = encodeMove(KING_MOVE, 0, 1);
    killerTable[6][0] = oldKiller;
    EXPECT_EQ(search(6, -INFINITE_SCORE, -1), -1);
    const Move a2a4 = encodeMove(PAWN_PUSH, 8, 24);
    EXPECT_EQ(historyTable[8][24], 36);
    EXPECT_EQ(killerTable[6][0], a2a4);
    EXPECT_EQ(killerTable[6][1], oldKiller);
    std::optional<HashEntry> entry = entryOfCurrentPosition();
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->flag, HASH_LOWER);
    EXPECT_EQ(entry->depth, 6);
    EXPECT_EQ(entry->score, 0);
    EXPECT_EQ(entry->move, a2a4);
}

TEST_F(AlphaBetaTest, BestMoveIsStoredExactAndBecomesTheLine) {
    loadFen("rnb1kbnr/pppp1ppp/8/4p3/3q4/4P3/PPPP1PPP/RNBQKBNR w KQkq - 0 3");
    PvLine line{};
    const int score = alphaBeta(3, -INFINITE_SCORE, INFINITE_SCORE, line, MATE_SCORE, 1);
    ASSERT_GE(line.length, 1);
    EXPECT_EQ(text(line.moves[0]), "e3d4");
    EXPECT_GT(score, 500);
    std::optional<HashEntry> entry = entryOfCurrentPosition();
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->flag, HASH_EXACT);
    EXPECT_EQ(entry->score, score);
    EXPECT_EQ(entry->move, line.moves[0]);

    // No move reaches a window far above: the entry is an upper bound with the last score seen
    // and the last move searched, a quiet one, since the quiet moves come last.
    clearHash();
    EXPECT_EQ(search(3, 5000, 5001), 5000);
    entry = entryOfCurrentPosition();
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->flag, HASH_UPPER);
    EXPECT_EQ(entry->score, 5000);
    EXPECT_LT(moveKind(entry->move), 8u);
    EXPECT_TRUE(isLegal(entry->move));
}

// However deep the search is asked to go, it stays inside the position stack.
TEST_F(AlphaBetaTest, RecursionStopsAtTheEndOfTheStack) {
    loadFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const Position game = *currentPosition;
    for (const int room : {0, 1, 2, 5}) {
        SCOPED_TRACE(room);
        clearHash();
        Position* top = positionStack + POSITION_STACK_SIZE - 1 - room;
        *top = game;
        currentPosition = top;
        ASSERT_EQ(stackRoom(), room);
        PvLine line{};
        const int score = alphaBeta(8, -INFINITE_SCORE, INFINITE_SCORE, line, MATE_SCORE, 1);
        EXPECT_LT(score, INFINITE_SCORE);
        EXPECT_EQ(currentPosition, top);
        EXPECT_EQ(std::memcmp(top, &game, sizeof game), 0);
        if (room > 0) {
            EXPECT_GE(line.length, 1);
        }
    }
    setStartPosition();
}
