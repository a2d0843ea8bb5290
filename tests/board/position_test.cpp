#include <gtest/gtest.h>

#include <cstring>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"

TEST(StartPosition, HoldsTheExactRecord) {
    setStartPosition();
    const Position& p = *currentPosition;
    EXPECT_EQ(currentPosition, positionStack);
    EXPECT_EQ(p.ownPieces, 0x000000000000FFFFULL);
    EXPECT_EQ(p.typePlane0, 0x2CFF00000000FF2CULL);
    EXPECT_EQ(p.typePlane1, 0x7600000000000076ULL);
    EXPECT_EQ(p.typePlane2, 0x9900000000000099ULL);
    EXPECT_EQ(p.castleFlags, 0x33);
    EXPECT_EQ(p.enPassant, 8);
    EXPECT_EQ(p.rule50, 0);
    EXPECT_EQ(p.repetition, 0);
    EXPECT_EQ(p.sideToMove, 0u);
    EXPECT_EQ(pieceTypeAt(p, 4), KING);
    EXPECT_TRUE(p.ownPieces & squareBit(4));
    EXPECT_EQ(pieceTypeAt(p, 60), KING);
    EXPECT_FALSE(p.ownPieces & squareBit(60));
    EXPECT_EQ(pieceTypeAt(p, 3), QUEEN);
    EXPECT_EQ(pieceTypeAt(p, 1), KNIGHT);
    EXPECT_EQ(pieceTypeAt(p, 2), BISHOP);
    EXPECT_EQ(pieceTypeAt(p, 7), ROOK);
    EXPECT_EQ(pieceTypeAt(p, 12), PAWN);
    EXPECT_EQ(pieceTypeAt(p, 30), EMPTY);
}

TEST(FlipBoard, TwiceIsTheIdentity) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "1k1r3r/p1p3pp/B2b1p2/B2R4/4p2P/P3P3/1PP3P1/6K1 b - - 7 23",
    };
    for (const char* fen : fens) {
        setStartPosition();
        ASSERT_EQ(readFen(fen), 1) << fen;
        const Position before = *currentPosition;
        flipBoard(*currentPosition);
        EXPECT_NE(currentPosition->sideToMove, before.sideToMove);
        flipBoard(*currentPosition);
        EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof before), 0) << fen;
    }
}

TEST(FlipBoard, TurnsTheRecordForTheOtherSide) {
    setStartPosition();
    Position p = *currentPosition;
    p.castleFlags = 0x12;
    flipBoard(p);
    EXPECT_EQ(p.sideToMove, 1u);
    EXPECT_EQ(p.castleFlags, 0x21);
    // Black's pieces, seen from black, stand on ranks 1 and 2 like white's did.
    EXPECT_EQ(p.ownPieces, 0x000000000000FFFFULL);
    EXPECT_EQ(pieceTypeAt(p, 4), KING);
    EXPECT_EQ(pieceTypeAt(p, 3), QUEEN);
}

TEST(PickBestMove, TakesTheEarliestHighestAndRefillsItsSlot) {
    ScoredMoveList list{};
    list.count = 3;
    list.entries[0] = {100, 5};
    list.entries[1] = {101, 9};
    list.entries[2] = {102, 9};
    EXPECT_EQ(pickBestMove(list), 101u);
    EXPECT_EQ(list.entries[1].move, 102u);
    EXPECT_EQ(list.entries[1].score, 9);
    EXPECT_EQ(list.count, 3);  // the caller shrinks the list
    list.count = 1;
    EXPECT_EQ(pickBestMove(list), 100u);
}
