#include <gtest/gtest.h>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "book/position_key.h"
#include "search/transposition.h"

namespace {

constexpr Move SOME_MOVE = 0x05010204;

class TranspositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearHash();
        setStartPosition();
    }
};

}  // namespace

TEST_F(TranspositionTest, EmptyTableMissesAndStillCopiesTheSlot) {
    ASSERT_EQ(parseMove("e2e4"), 1);
    HashEntry out{.key = 1, .depth = 7, .flag = 2, .generation = 5, .score = 3, .move = 4};
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(out.key, 0u);
    EXPECT_EQ(out.depth, 0);
    EXPECT_EQ(out.flag, 0);
    EXPECT_EQ(out.score, 0);
    EXPECT_EQ(out.move, 0u);
}

TEST_F(TranspositionTest, StoresTheWholeEntryUnderTheKey) {
    storeHash(5, -123, HASH_LOWER, SOME_MOVE);
    const HashEntry slot = hashSlot(computePositionKey() & hashTable.slotMask);
    EXPECT_EQ(slot.key, 0x463B96181691FC9CULL);
    EXPECT_EQ(slot.depth, 5);
    EXPECT_EQ(slot.flag, HASH_LOWER);
    EXPECT_EQ(slot.score, -123);
    EXPECT_EQ(slot.move, SOME_MOVE);
}

// One stored entry probed with different depths and windows.
TEST_F(TranspositionTest, ProbeAnswersByFlagDepthAndWindow) {
    struct Case {
        int flag, score, storedDepth;
        int depth, alpha, beta;
        int expected;
    };
    const Case cases[] = {
        {HASH_EXACT, 37, 3, 3, -100, 100, 37},
        {HASH_EXACT, 37, 3, 1, -100, 100, 37},           // a deeper entry serves a shallower probe
        {HASH_EXACT, 500, 3, 3, -10, 10, 500},           // exact scores are returned outside the window too
        {HASH_EXACT, 37, 3, 4, -100, 100, HASH_MOVE_ONLY},
        {HASH_UPPER, -20, 3, 3, -10, 100, -10},
        {HASH_UPPER, -20, 3, 3, -20, 100, -20},          // equal to alpha still fails low
        {HASH_UPPER, -20, 3, 3, -30, 100, HASH_MOVE_ONLY},
        {HASH_UPPER, -20, 3, 4, -10, 100, HASH_MOVE_ONLY},
        {HASH_LOWER, 70, 3, 3, -100, 70, 70},
        {HASH_LOWER, 70, 3, 3, -100, 60, 60},
        {HASH_LOWER, 70, 3, 3, -100, 71, HASH_MOVE_ONLY},
        {HASH_LOWER, 70, 3, 4, -100, 60, HASH_MOVE_ONLY},
        {3, 0, 3, 3, -100, 100, HASH_MOVE_ONLY},         // not a known flag
        {HASH_EXACT, 0, 0, 0, -100, 100, 0},
        {HASH_EXACT, -29997, 32, 32, -99997, 99997, -29997},
    };
    for (const Case& c : cases) {
        storeHash(c.storedDepth, c.score, c.flag, SOME_MOVE);
        HashEntry out{};
        EXPECT_EQ(probeHash(out, c.depth, c.alpha, c.beta), c.expected)
            << "flag " << c.flag << " score " << c.score << " stored depth " << c.storedDepth << " probe depth "
            << c.depth << " window " << c.alpha << ".." << c.beta;
        EXPECT_EQ(out.move, SOME_MOVE);
        EXPECT_EQ(out.depth, c.storedDepth);
    }
}

// The last store wins, even when it is shallower than the entry it replaces.
TEST_F(TranspositionTest, AlwaysReplaces) {
    storeHash(2, 0, HASH_EXACT, SOME_MOVE);
    storeHash(1, 0, HASH_EXACT, SOME_MOVE);
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 1, -1000, 1000), 0);
    EXPECT_EQ(out.depth, 1);

    storeHash(9, 80, HASH_LOWER, SOME_MOVE);
    storeHash(1, -40, HASH_UPPER, 0);
    EXPECT_EQ(probeHash(out, 2, -30, 30), HASH_MOVE_ONLY);
    EXPECT_EQ(out.depth, 1);
    EXPECT_EQ(out.flag, HASH_UPPER);
    EXPECT_EQ(out.move, 0u);
}

TEST_F(TranspositionTest, PositionsWithTheSameKeyBitsShareOneSlot) {
    // Two placements whose keys agree in the 20 bits that pick the slot.
    const char* first = "4k3/8/8/4K3/R7/8/8/8 w - - 0 1";
    const char* second = "K3k3/8/8/8/8/6R1/8/8 w - - 0 1";
    ASSERT_EQ(readFen(first), 1);
    const PositionKey firstKey = computePositionKey();
    storeHash(4, 11, HASH_EXACT, SOME_MOVE);
    ASSERT_EQ(readFen(second), 1);
    const PositionKey secondKey = computePositionKey();
    ASSERT_NE(firstKey, secondKey);
    ASSERT_EQ(firstKey & hashTable.slotMask, secondKey & hashTable.slotMask);

    // The first position's entry does not answer for the second.
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(out.key, firstKey);

    // Storing the second evicts the first.
    storeHash(1, 22, HASH_EXACT, 0);
    EXPECT_EQ(probeHash(out, 0, -100, 100), 22);
    ASSERT_EQ(readFen(first), 1);
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(out.key, secondKey);
}

TEST_F(TranspositionTest, SideToMoveSeparatesEntries) {
    ASSERT_EQ(readFen("4k3/8/8/8/8/8/P7/6K1 w - - 0 1"), 1);
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    ASSERT_EQ(readFen("4k3/8/8/8/8/8/P7/6K1 b - - 0 1"), 1);
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
}

TEST_F(TranspositionTest, ClearEmptiesEverySlot) {
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    ASSERT_EQ(parseMove("e2e4"), 1);
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    clearHash();
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    takeBack();
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(out.key, 0u);
}

// Emptying marks the old entries rather than zeroing them; the marks are a 16-bit count, so
// they must not come round to an old entry's mark and bring it back.
TEST_F(TranspositionTest, NoEntryComesBackWhenTheClearCountWraps) {
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    for (int i = 0; i < 65535; ++i) clearHash();
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(out.key, 0u);
    clearHash();
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    EXPECT_EQ(probeHash(out, 0, -100, 100), 50);
}

// The search's probe reads a slot's tag first and answers HASH_MISS from it alone when it can;
// its answer (and the copy, whenever the entry was read) must be the full probe's in every
// state of the slot: written for the key, for another key of the same slot with the same or
// another top byte, emptied, emptied many times over, and for key 0, which an empty slot holds.
TEST_F(TranspositionTest, TagFilteredProbeAnswersAsTheFullProbe) {
    const PositionKey key = 0x463B96181691FC9CULL;
    const PositionKey sameTop = key ^ (PositionKey{1} << 40), otherTop = key ^ (PositionKey{1} << 60);
    auto expectSameAnswers = [&](const char* state) {
        for (const PositionKey probed : {key, sameTop, otherTop, PositionKey{0}})
            for (const int depth : {0, 3, 5}) {
                HashEntry full{}, filtered{};
                const int expected = probeHashAt(probed, full, depth, -100, 100);
                EXPECT_EQ(probeHashForSearch(probed, filtered, depth, -100, 100), expected)
                    << state << ", key " << std::hex << probed << std::dec << ", depth " << depth;
                if (expected == HASH_MOVE_ONLY) {
                    EXPECT_EQ(filtered.move, full.move) << state;
                }
            }
    };
    expectSameAnswers("empty");
    storeHashAt(key, 3, 50, HASH_EXACT, SOME_MOVE);
    expectSameAnswers("stored");
    storeHashAt(sameTop, 4, -20, HASH_UPPER, SOME_MOVE);
    expectSameAnswers("replaced by a key with the same top byte");
    clearHash();
    expectSameAnswers("cleared");
    // An entry of the last search whose tag, by chance, is the one a key of its slot has now:
    // the tag lets the probe through and the entry, being old, answers HASH_MISS.
    storeHashAt(key, 3, 50, HASH_EXACT, SOME_MOVE);
    const HashTag oldTag = hashTag(key);
    clearHash();
    const PositionKey chance = (key & ~(PositionKey{0xFF} << 56)) |
                               PositionKey{static_cast<HashTag>(oldTag ^ hashTable.generation)} << 56;
    ASSERT_EQ(hashTag(chance), oldTag);
    HashEntry out{};
    EXPECT_EQ(probeHashForSearch(chance, out, 0, -100, 100), HASH_MISS);
    EXPECT_EQ(probeHashForSearch(key, out, 0, -100, 100), HASH_MISS);
    storeHashAt(key, 3, 50, HASH_LOWER, SOME_MOVE);
    for (int i = 0; i < 256; ++i) clearHash();
    expectSameAnswers("cleared 256 times");
    storeHashAt(0, 2, 7, HASH_EXACT, SOME_MOVE);
    expectSameAnswers("key 0 stored");
}

// The table holds the largest power-of-two number of entries that fits in the size asked for.
TEST(TranspositionSize, EntriesForMegabytes) {
    const struct {
        int megabytes;
        std::size_t entries;
    } cases[] = {
        {1, std::size_t{1} << 15},     // 43690 fit
        {24, std::size_t{1} << 20},    // the default: exactly 2^20 entries of 24 bytes
        {47, std::size_t{1} << 20},    // 2^21 need 48
        {48, std::size_t{1} << 21},
        {1024, std::size_t{1} << 25},  // 44.7 million fit
    };
    for (const auto& c : cases) EXPECT_EQ(hashEntriesFor(c.megabytes), c.entries) << c.megabytes << " MB";
}

TEST(TranspositionSize, ResizingGivesAnEmptyTableAndRefusesSizesOutOfRange) {
    ASSERT_EQ(hashEntryCount(), hashEntriesFor(DEFAULT_HASH_MB));
    setStartPosition();
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);

    EXPECT_EQ(resizeHash(0), 0);
    EXPECT_EQ(resizeHash(MAX_HASH_MB + 1), 0);
    HashEntry out{};
    EXPECT_EQ(probeHash(out, 0, -100, 100), 50);  // a refused size leaves the table alone

    ASSERT_EQ(resizeHash(1), 1);
    EXPECT_EQ(hashEntryCount(), std::size_t{1} << 15);
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
    storeHash(3, 50, HASH_EXACT, SOME_MOVE);
    EXPECT_EQ(probeHash(out, 0, -100, 100), 50);

    ASSERT_EQ(resizeHash(DEFAULT_HASH_MB), 1);
    EXPECT_EQ(hashEntryCount(), std::size_t{1} << 20);
    EXPECT_EQ(probeHash(out, 0, -100, 100), HASH_MISS);
}
