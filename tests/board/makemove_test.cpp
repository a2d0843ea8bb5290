#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/movetext.h"
#include "tests/support/board_fixtures.h"

namespace {

TEST(MakeMove, DoubleStepOpensEnPassantAndTurnsTheBoard) {
    setStartPosition();
    ASSERT_TRUE(playMoves("e2e4"));
    const Position& p = *currentPosition;
    EXPECT_EQ(currentPosition, positionStack + 1);
    EXPECT_EQ(p.sideToMove, 1u);
    EXPECT_EQ(p.ownPieces, 0x000000000000FFFFULL);
    EXPECT_EQ(pieceTypeAt(p, 36), PAWN);  // e4 seen from black
    EXPECT_FALSE(p.ownPieces & squareBit(36));
    EXPECT_EQ(p.enPassant, 4);
    EXPECT_EQ(p.rule50, 0);
    EXPECT_EQ(p.repetition, 0);
    EXPECT_EQ(p.castleFlags, 0x33);

    setStartPosition();
    ASSERT_TRUE(playMoves("e2e3"));
    EXPECT_EQ(currentPosition->enPassant, 8);
}

// One move of each kind from a position built for it, checked on the turned-over record.
struct KindCase {
    const char* fen;
    const char* move;
    std::uint32_t kind;
    const char* square;        // real square that must hold `piece` of the mover afterwards
    int piece;
    const char* emptied;       // real square that must be empty afterwards
    std::uint8_t castleFlags;  // of the new record (the opponent's rights in the low nibble)
    std::uint8_t rule50;
};

class MoveKinds : public testing::TestWithParam<KindCase> {};

TEST_P(MoveKinds, ChangeTheBoardAndTheState) {
    const KindCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    // The code made directly and the parsed text must give the same record.
    const std::uint32_t mover = currentPosition->sideToMove;
    const int promotion = c.move[4] == 'n' ? KNIGHT : c.move[4] == 'q' ? QUEEN : 0;
    makeMove(encodeMove(c.kind, realSquare(squareOf(c.move), mover), realSquare(squareOf(c.move + 2), mover), promotion));
    const Position direct = *currentPosition;
    takeBack();
    ASSERT_EQ(parseMove(c.move), 1) << c.move;
    const Position& p = *currentPosition;
    EXPECT_TRUE(samePosition(p, direct)) << c.move;
    const int square = realSquare(squareOf(c.square), p.sideToMove);
    EXPECT_EQ(pieceTypeAt(p, square), c.piece) << c.move;
    EXPECT_FALSE(p.ownPieces & squareBit(square)) << "the mover's piece is the opponent's now";
    EXPECT_EQ(pieceTypeAt(p, realSquare(squareOf(c.emptied), p.sideToMove)), EMPTY) << c.move;
    EXPECT_EQ(p.castleFlags, c.castleFlags) << c.move;
    EXPECT_EQ(p.rule50, c.rule50) << c.move;
    EXPECT_EQ(p.sideToMove, mover ^ 1);
    EXPECT_EQ(p.ownPieces & ~occupiedSquares(p), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, MoveKinds,
    testing::Values(
        KindCase{"r3k2r/8/8/8/8/8/4P3/R3K2R w KQkq - 7 9", "e2e3", PAWN_PUSH, "e3", PAWN, "e2", 0x33, 0},
        KindCase{"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 7 9", "b1c3", KNIGHT_MOVE, "c3", KNIGHT, "b1", 0x33, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R1B1K2R w KQkq - 7 9", "c1g5", BISHOP_MOVE, "g5", BISHOP, "c1", 0x33, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 9", "a1a5", ROOK_MOVE, "a5", ROOK, "a1", 0x23, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 9", "h1h5", ROOK_MOVE, "h5", ROOK, "h1", 0x13, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R2QK2R w KQkq - 7 9", "d1d5", QUEEN_MOVE, "d5", QUEEN, "d1", 0x33, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 9", "e1f1", KING_MOVE, "f1", KING, "e1", 0x03, 8},
        KindCase{"r3k2r/8/8/3n4/4P3/8/8/R3K2R w KQkq - 7 9", "e4d5", PAWN_CAPTURE, "d5", PAWN, "e4", 0x33, 0},
        KindCase{"r3k2r/8/8/3n4/8/4N3/8/R3K2R w KQkq - 7 9", "e3d5", KNIGHT_CAPTURE, "d5", KNIGHT, "e3", 0x33, 0},
        KindCase{"r3k2r/8/8/3n4/8/8/6B1/R3K2R w KQkq - 7 9", "g2d5", BISHOP_CAPTURE, "d5", BISHOP, "g2", 0x33, 0},
        KindCase{"r3k2r/8/8/3n4/8/8/8/R2QK2R w KQkq - 7 9", "d1d5", QUEEN_CAPTURE, "d5", QUEEN, "d1", 0x33, 0},
        KindCase{"r3k2r/8/8/8/8/8/4n3/R3K2R w KQkq - 7 9", "e1e2", KING_CAPTURE, "e2", KING, "e1", 0x03, 0},
        // A rook taking on h8 costs black the short right, and itself leaving a1 costs white the long one.
        KindCase{"r3k2r/8/8/8/8/8/8/R3K1R1 w Qkq - 7 9", "g1g8", ROOK_MOVE, "g8", ROOK, "g1", 0x13, 8},
        KindCase{"r3k2r/7R/8/8/8/8/8/R3K3 w Qkq - 7 9", "h7h8", ROOK_CAPTURE, "h8", ROOK, "h7", 0x11, 0},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K3 w Qkq - 7 9", "a1a8", ROOK_CAPTURE, "a8", ROOK, "a1", 0x02, 0},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 9", "e1g1", CASTLE_SHORT, "f1", ROOK, "h1", 0x03, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 9", "e1c1", CASTLE_LONG, "d1", ROOK, "a1", 0x03, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 7 9", "e8g8", CASTLE_SHORT, "g8", KING, "h8", 0x03, 8},
        KindCase{"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 7 9", "e8c8", CASTLE_LONG, "c8", KING, "e8", 0x03, 8},
        KindCase{"r3k2r/1P6/8/8/8/8/8/R3K2R w KQkq - 7 9", "b7b8n", PROMOTION, "b8", KNIGHT, "b7", 0x33, 0},
        KindCase{"r3k2r/1P6/8/8/8/8/8/R3K2R w KQkq - 7 9", "b7a8q", PROMOTION_CAPTURE, "a8", QUEEN, "b7", 0x32, 0},
        KindCase{"r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 7 9", "e5d6", EN_PASSANT, "d6", PAWN, "d5", 0x33, 0},
        KindCase{"r3k2r/8/8/8/3Pp3/8/8/R3K2R b KQkq d3 7 9", "e4d3", EN_PASSANT, "d3", PAWN, "d4", 0x33, 0}));

TEST(MakeMove, PromotionToEachPieceSetsOnlyItsPlanes) {
    for (int type = KNIGHT; type <= QUEEN; ++type) {
        ASSERT_TRUE(loadFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1"));
        makeMove(encodeMove(PROMOTION, squareOf("a7"), squareOf("a8"), type));
        // The new record is black's view: a8 is record square a1.
        EXPECT_EQ(pieceTypeAt(*currentPosition, 0), type);
        EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("a2")), EMPTY);
    }
}

TEST(MakeMove, CountsRepetitionsOfTheSamePlacement) {
    setStartPosition();
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1 f6g8"));
    EXPECT_EQ(currentPosition->repetition, 1);
    ASSERT_TRUE(playMoves("g1f3"));
    EXPECT_EQ(currentPosition->repetition, 1);  // the position after 1. Nf3 came before
    ASSERT_TRUE(playMoves("g8f6 f3g1 f6g8"));
    EXPECT_EQ(currentPosition->repetition, 2);
}

// The rook's trip gives up castling: the same placement is another position, by the rules and
// for a front end judging a draw claim.
TEST(MakeMove, CastlingRightsLostMakeANewPosition) {
    ASSERT_TRUE(loadFen("4k1n1/8/8/8/8/8/8/4K2R w K - 0 1"));
    ASSERT_TRUE(playMoves("h1h2 g8f6 h2h1 f6g8"));
    EXPECT_EQ(currentPosition->repetition, 0);
    ASSERT_TRUE(playMoves("h1h2 g8f6 h2h1 f6g8"));
    EXPECT_EQ(currentPosition->repetition, 1);
}

// A double step that can be taken en passant makes a position of its own.
TEST(MakeMove, AnEnPassantChanceMakesANewPosition) {
    ASSERT_TRUE(loadFen("4k1n1/8/8/8/4p3/8/3P4/4K1N1 w - - 0 1"));
    ASSERT_TRUE(playMoves("d2d4 g8f6 g1f3 f6g8 f3g1"));
    EXPECT_EQ(currentPosition->repetition, 0);  // the record after d2d4 could take en passant
    ASSERT_TRUE(playMoves("g8f6 g1f3 f6g8 f3g1"));
    EXPECT_EQ(currentPosition->repetition, 1);
}

TEST(MakeMove, BishopMovesRepeatLikeKnightMoves) {
    ASSERT_TRUE(loadFen("4k3/8/8/8/8/8/8/2B1K1b1 w - - 0 1"));
    ASSERT_TRUE(playMoves("c1d2 g1h2 d2c1 h2g1"));
    EXPECT_EQ(currentPosition->repetition, 1);
}

TEST(MakeMove, PawnMovesEndTheRepetitionWindow) {
    setStartPosition();
    ASSERT_TRUE(playMoves("g1f3 g8f6 f3g1 f6g8 e2e3 e7e6 g1f3 g8f6 f3g1 f6g8"));
    EXPECT_EQ(currentPosition->repetition, 1);
    EXPECT_EQ(currentPosition->rule50, 4);
}

TEST(MakeMove, Rule50StopsAtItsLimitInsteadOfWrapping) {
    ASSERT_TRUE(loadFen("4k3/8/8/8/8/8/8/R3K3 w - - 100 1"));
    for (int ply = 0; ply < 300; ++ply) {
        const char* moves[] = {"a1a2", "e8d8", "a2a1", "d8e8"};
        ASSERT_EQ(parseMove(moves[ply % 4]), 1);
        ASSERT_GE(currentPosition->rule50, 100);
    }
    EXPECT_EQ(currentPosition->rule50, 255);
}

TEST(MakeMove, CountsEveryCallEvenForCodesThatAreNoMove) {
    setStartPosition();
    const Position before = *currentPosition;
    const std::uint32_t nodes = nodeCount;
    makeMove(encodeMove(7, 12, 28));
    EXPECT_EQ(nodeCount, nodes + 1);
    EXPECT_EQ(currentPosition, positionStack + 1);
    EXPECT_TRUE(samePosition(*currentPosition, before));
    takeBack();
    makeMove(encodeMove(PAWN_PUSH, 12, 28));
    EXPECT_EQ(nodeCount, nodes + 2);
}

}  // namespace
