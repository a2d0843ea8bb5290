#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "tests/support/board_fixtures.h"

namespace {

std::string text(Move move) {
    char buffer[6];
    moveToText(buffer, move, *currentPosition);
    std::string s(buffer);
    if (s.back() == ' ') s.pop_back();
    return s;
}

std::vector<std::string> quietTexts() {
    MoveList list;
    generateQuiets(list);
    std::vector<std::string> texts;
    for (int i = 0; i < list.count; ++i) texts.push_back(text(list.moves[i]));
    return texts;
}

struct Scored {
    std::string move;
    int score;
    bool operator==(const Scored&) const = default;
};
void PrintTo(const Scored& s, std::ostream* os) { *os << s.move << ":" << s.score; }

std::vector<Scored> captures() {
    ScoredMoveList list;
    generateCaptures(list);
    std::vector<Scored> entries;
    for (int i = 0; i < list.count; ++i) entries.push_back({text(list.entries[i].move), list.entries[i].score});
    return entries;
}

TEST(GenerateQuiets, StartPositionInEmissionOrder) {
    setStartPosition();
    const std::vector<std::string> expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3",
                                               "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                               "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
    EXPECT_EQ(quietTexts(), expected);
    ScoredMoveList none;
    generateCaptures(none);
    EXPECT_EQ(none.count, 0);
}

TEST(GenerateQuiets, PieceOrderIsCastlingKingQueenRookBishopKnightPawn) {
    ASSERT_TRUE(loadFen("4k3/8/8/8/8/8/3P4/RNBQK2R w KQ - 0 1"));
    MoveList list;
    generateQuiets(list);
    ASSERT_GE(list.count, 2);
    EXPECT_EQ(list.moves[0], 0x00060416u);  // short castling; long is blocked by the knight
    std::vector<int> kinds;
    for (int i = 1; i < list.count; ++i) {
        const int kind = static_cast<int>(moveKind(list.moves[i]));
        if (kinds.empty() || kinds.back() != kind) kinds.push_back(kind);
    }
    EXPECT_EQ(kinds, (std::vector<int>{KING_MOVE, QUEEN_MOVE, ROOK_MOVE, BISHOP_MOVE, KNIGHT_MOVE, PAWN_PUSH}));
}

TEST(GenerateQuiets, BothCastlingsLongFirst) {
    ASSERT_TRUE(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
    MoveList list;
    generateQuiets(list);
    ASSERT_GE(list.count, 2);
    EXPECT_EQ(list.moves[0], 0x00020426u);
    EXPECT_EQ(list.moves[1], 0x00060416u);
}

// Castling is refused exactly when one of the king's three squares is attacked; b1 may be.
struct CastlingCase {
    const char* fen;
    bool longCastle, shortCastle;
};

class Castling : public testing::TestWithParam<CastlingCase> {};

TEST_P(Castling, GeneratedOnlyOverSafeSquares) {
    const CastlingCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    MoveList list;
    generateQuiets(list);
    bool longFound = false, shortFound = false;
    for (int i = 0; i < list.count; ++i) {
        longFound = longFound || list.moves[i] == encodeMove(CASTLE_LONG, 4, 2);
        shortFound = shortFound || list.moves[i] == encodeMove(CASTLE_SHORT, 4, 6);
    }
    EXPECT_EQ(longFound, c.longCastle) << c.fen;
    EXPECT_EQ(shortFound, c.shortCastle) << c.fen;
}

INSTANTIATE_TEST_SUITE_P(
    Attacks, Castling,
    testing::Values(
        CastlingCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true},
        CastlingCase{"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", true, true},
        CastlingCase{"1r2k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", true, true},        // rook on b8 hits b1 only
        CastlingCase{"2r1k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", false, true},       // c1 attacked
        CastlingCase{"3rk2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", false, true},        // d1
        CastlingCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true},
        CastlingCase{"r3kr2/8/8/8/8/8/8/R3K2R w KQq - 0 1", true, false},        // f1
        CastlingCase{"r3k1r1/8/8/8/8/8/8/R3K2R w KQq - 0 1", true, false},       // g1
        CastlingCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true},
        CastlingCase{"r3k3/8/8/8/8/8/8/R3K2R w KQq - 0 1", true, true},
        CastlingCase{"r3k3/8/8/8/8/8/8/R3K1rR w KQq - 0 1", false, false},       // in check along rank 1
        CastlingCase{"r3k3/8/8/8/1b6/8/8/R3K2R w KQq - 0 1", false, false},      // in check by a bishop
        CastlingCase{"r3k3/8/8/8/b7/8/8/R3K2R w KQq - 0 1", false, true},        // bishop hits d1
        CastlingCase{"r3k3/8/8/8/8/8/8/R3K2R w KQq - 0 1", true, true},
        CastlingCase{"r3k3/8/8/8/8/8/8/R3K2R w KQq - 0 1", true, true},
        CastlingCase{"r3k3/8/8/8/8/8/6b1/R3K2R w KQq - 0 1", true, false},       // bishop on g2 hits f1
        CastlingCase{"r7/8/8/8/8/8/6k1/R3K2R w KQ - 0 1", true, false},          // king next to f1 and g1
        CastlingCase{"r3k3/8/8/8/8/8/1n6/R3K2R w KQq - 0 1", false, true},       // knight on b2 hits d1
        CastlingCase{"r3k3/8/8/8/8/8/3n4/R3K2R w KQq - 0 1", true, false},       // knight on d2 hits b1 and f1
        CastlingCase{"r3k3/8/8/8/8/8/1p6/R3K2R w KQq - 0 1", false, true},       // pawn on b2 hits c1
        CastlingCase{"r3k3/8/8/8/8/8/5p2/R3K2R w KQq - 0 1", false, false},      // pawn on f2 checks
        CastlingCase{"r3k3/8/8/8/8/4q3/8/R3K2R w KQq - 0 1", false, false},      // queen on e3 checks
        CastlingCase{"r3k3/8/8/8/8/8/8/RN2K2R w KQq - 0 1", false, true},        // b1 occupied
        CastlingCase{"r3k3/8/8/8/8/8/8/R3KN1R w KQq - 0 1", true, false}));

TEST(GenerateCaptures, EnPassantFromBothSidesInOrder) {
    ASSERT_TRUE(loadFen("4k3/8/8/2PpP3/8/8/8/4K3 w - d6 0 1"));
    EXPECT_EQ(captures(), (std::vector<Scored>{{"c5d6", 21}, {"e5d6", 21}}));
    ASSERT_TRUE(loadFen("4k3/8/8/8/2pPp3/8/8/4K3 b - d3 0 1"));
    EXPECT_EQ(captures(), (std::vector<Scored>{{"c4d3", 21}, {"e4d3", 21}}));
    // The a-file and h-file edges have one neighbour only.
    ASSERT_TRUE(loadFen("4k3/8/8/pP5P/8/8/8/4K3 w - a6 0 1"));
    EXPECT_EQ(captures(), (std::vector<Scored>{{"b5a6", 21}}));
    ASSERT_TRUE(loadFen("4k3/8/8/P5Pp/8/8/8/4K3 w - h6 0 1"));
    EXPECT_EQ(captures(), (std::vector<Scored>{{"g5h6", 21}}));
}

TEST(GenerateCaptures, TwelvePromotionEntriesInOrder) {
    ASSERT_TRUE(loadFen("n1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    const std::vector<Scored> expected = {{"b7c8q", 85}, {"b7c8r", -1}, {"b7c8b", -2}, {"b7c8n", -3},
                                          {"b7a8q", 85}, {"b7a8r", -1}, {"b7a8b", -2}, {"b7a8n", -3},
                                          {"b7b8q", 85}, {"b7b8r", -1}, {"b7b8b", -2}, {"b7b8n", -3}};
    EXPECT_EQ(captures(), expected);
    ASSERT_TRUE(loadFen("1n2k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_TRUE(captures().empty()) << "a blocked pawn with nothing to take";
}

TEST(GenerateCaptures, VictimFirstThenCheaperAttacker) {
    // Emitted by piece type (pawns, knights, bishops, rooks, queens, king), scored for picking.
    ASSERT_TRUE(loadFen("4k3/8/8/3q4/2P5/4N3/3Q4/r2RK3 w - - 0 1"));
    const std::vector<Scored> expected = {{"c4d5", 16 * QUEEN + 5}, {"e3d5", 16 * QUEEN + 4},
                                          {"d1a1", 16 * ROOK + 2}, {"d2d5", 16 * QUEEN + 1}};
    EXPECT_EQ(captures(), expected);
    ASSERT_TRUE(loadFen("4k3/8/8/8/8/8/4p3/3QK2r w - - 0 1"));
    EXPECT_EQ(captures(), (std::vector<Scored>{{"d1e2", 16 * PAWN + 1}, {"e1e2", 16 * PAWN + 0}}));
}

TEST(GenerateCaptures, QueenPromotionIsPickedBeforeAnEqualCapture) {
    ASSERT_TRUE(loadFen("7k/P7/8/8/1q6/2P5/8/K7 w - - 0 1"));
    ScoredMoveList list;
    generateCaptures(list);
    EXPECT_EQ(text(pickBestMove(list)), "a7a8q");
}

TEST(GenerateAllMoves, CapturesBestFirstThenQuietsReversed) {
    setStartPosition();
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    ASSERT_EQ(count, 20);
    EXPECT_EQ(text(moves[0]), "h2h4");
    EXPECT_EQ(text(moves[19]), "b1a3");

    ASSERT_TRUE(loadFen("4k3/8/8/3q4/2P5/4N3/3Q4/r2RK3 w - - 0 1"));
    generateAllMoves(moves, count);
    EXPECT_EQ(text(moves[0]), "c4d5");
    EXPECT_EQ(text(moves[3]), "d1a1");
    EXPECT_EQ(moveKind(moves[4]) & 8, 0u);
}

TEST(GenerateCaptures, StaysWithinTheListInCrowdedPositions) {
    // Promotions with captures on every file and queens with targets everywhere.
    ASSERT_TRUE(loadFen("kq1q1q1q/P1P1P1P1/8/8/8/8/1p1p1p1p/QQQQQQ1K w - - 0 1"));
    ScoredMoveList captureList;
    generateCaptures(captureList);
    MoveList quietList;
    generateQuiets(quietList);
    EXPECT_LE(captureList.count, SCORED_LIST_SIZE);
    EXPECT_LE(quietList.count, MOVE_LIST_SIZE);
    EXPECT_GT(captureList.count, 40);
}

// pickBestMove must pick exactly as the plain scan would: greatest score, earliest on ties,
// last entry moved into the freed slot.
TEST(PickBestMove, MatchesThePlainScanOnRandomLists) {
    std::mt19937 random(3);
    for (int trial = 0; trial < 20000; ++trial) {
        ScoredMoveList fast{};
        fast.count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < fast.count; ++i)
            fast.entries[i] = {static_cast<Move>(i + 1), static_cast<int>(random() % 7) - 3};
        ScoredMoveList plain = fast;
        while (fast.count > 0) {
            int best = 0;
            for (int i = 1; i < plain.count; ++i)
                if (plain.entries[i].score > plain.entries[best].score) best = i;
            const Move expected = plain.entries[best].move;
            plain.entries[best] = plain.entries[plain.count - 1];
            --plain.count;
            ASSERT_EQ(pickBestMove(fast), expected);
            --fast.count;
        }
    }
}

}  // namespace
