#include <gtest/gtest.h>

#include <string>

#include "board/fen.h"
#include "board/position.h"
#include "tests/support/board_fixtures.h"

namespace {

struct AcceptedFen {
    const char* fen;
    std::uint32_t side;
    std::uint8_t castleFlags, enPassant, rule50;
};

class FenAccepted : public testing::TestWithParam<AcceptedFen> {};

TEST_P(FenAccepted, SetsTheStateFields) {
    const AcceptedFen& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Position& p = *currentPosition;
    EXPECT_EQ(p.sideToMove, c.side);
    EXPECT_EQ(p.castleFlags, c.castleFlags);
    EXPECT_EQ(p.enPassant, c.enPassant);
    EXPECT_EQ(p.rule50, c.rule50);
    EXPECT_EQ(p.repetition, 0);
    EXPECT_EQ(currentPosition, positionStack);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FenAccepted,
    testing::Values(
        AcceptedFen{"1k1r3r/p1p3pp/B2b1p2/B2R4/4p2P/P3P3/1PP3P1/6K1 b - - 0 23", 1, 0x00, 8, 0},
        AcceptedFen{"r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", 0, 0x12, 8, 0},
        AcceptedFen{"r3k2r/8/8/8/8/8/8/R3K2R b Kq - 0 1", 1, 0x21, 8, 0},
        AcceptedFen{"r3k2r/8/8/8/8/8/8/R3K2R w KQkqKK - 0 1", 0, 0x33, 8, 0},
        AcceptedFen{"8/RP6/2k5/8/8/6P1/7P/7K w - - 1 62", 0, 0x00, 8, 1},
        AcceptedFen{"4k3/8/8/8/8/8/8/4K3 w - - 100 80", 0, 0x00, 8, 100},
        AcceptedFen{"4k3/8/8/8/8/8/8/4K3 w - - abc 80", 0, 0x00, 8, 0},
        AcceptedFen{"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", 0, 0x00, 3, 0},
        AcceptedFen{"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 2", 1, 0x00, 3, 0},
        // Test suites often stop after the castling or en-passant field.
        AcceptedFen{"4k3/8/8/8/8/8/8/4K3 w -", 0, 0x00, 8, 0},
        AcceptedFen{"4k3/8/8/3pP3/8/8/8/4K3 w - d6", 0, 0x00, 3, 0},
        // Runs of spaces and of slashes separate like one.
        AcceptedFen{"  4k3//8/8/8/8/8/8/4K3   w  -  -  7  9", 0, 0x00, 8, 7},
        // A rank of ten pawn letters keeps the first eight.
        AcceptedFen{"4k3/PPPPPPPPPP/8/8/8/8/8/4K3 b - - 0 1", 1, 0x00, 8, 0},
        // Rights without their king and rook are dropped rather than trusted.
        AcceptedFen{"r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1", 0, 0x12, 8, 0},
        AcceptedFen{"r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1", 0, 0x30, 8, 0}));

TEST(ReadFen, StartPositionGivesTheStartRecord) {
    setStartPosition();
    const Position start = *currentPosition;
    ASSERT_EQ(readFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 1);
    EXPECT_TRUE(samePosition(*currentPosition, start));
}

TEST(ReadFen, BlackToMoveIsStoredFromBlacksSide) {
    ASSERT_TRUE(loadFen("1k1r3r/p1p3pp/B2b1p2/B2R4/4p2P/P3P3/1PP3P1/6K1 b - - 0 23"));
    const Position& p = *currentPosition;
    // Black's king on b8 is record square b1; white's king on g1 is record square g8.
    EXPECT_EQ(pieceTypeAt(p, squareOf("b1")), KING);
    EXPECT_TRUE(p.ownPieces & squareBit(squareOf("b1")));
    EXPECT_EQ(pieceTypeAt(p, squareOf("g8")), KING);
    EXPECT_FALSE(p.ownPieces & squareBit(squareOf("g8")));
    EXPECT_EQ(popCount(p.ownPieces), 10);
}

TEST(ReadFen, PositionsReachedByMovesEqualTheirFen) {
    struct Case {
        const char* moves;
        const char* fen;
    } cases[] = {
        {"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"e2e4 c7c5 g1f3", "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
        {"e2e4 d7d5 e4e5 f7f5", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"},
        {"g1f3 g8f6 h1g1 h8g8", "rnbqkbr1/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKBR1 w Qq - 4 3"},
    };
    for (const Case& c : cases) {
        setStartPosition();
        ASSERT_TRUE(playMoves(c.moves)) << c.moves;
        const Position played = *currentPosition;
        ASSERT_TRUE(loadFen(c.fen)) << c.fen;
        EXPECT_TRUE(samePosition(played, *currentPosition)) << c.moves;
    }
}

TEST(ReadFen, RefusalsLeaveTheRecordAsItWas) {
    const char* refused[] = {
        "",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                 // no side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",    // bad side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR white KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",               // no castling field
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkx - 0 1",    // bad castling letter
        "ppp/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",            // short rank
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w - - 0 1",                // missing rank
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",       // digit 9
        "rnbqkbnr/pppppppp/08/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",      // digit 0
        "rnbqkbnr/pppppppp/72/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",      // digits past the h-file
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w - - 0 1",       // unknown letter
        "4k3/8/8/8/8/8/8/4K3 w - - 101 1",                             // halfmove clock over 100
        "4k3/8/8/8/8/8/8/4K3 w - - -1 1",
        "4k3/8/8/8/8/8/8/4K3 w - e3 0 1",                              // wrong rank for white to move
        "4k3/8/8/8/8/8/8/4K3 b - e6 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - i6 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - e6 0 1",                              // no pawn that just advanced
        "4k3/8/4p3/4pP2/8/8/8/4K3 w - e6 0 1",                         // capture square occupied
        "8/8/8/8/8/8/8/4K3 w - - 0 1",                                 // no black king
        "4k3/8/8/8/8/8/8/4KK2 w - - 0 1",                              // two white kings
        "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",                              // pawn on the first rank
        "p3k3/8/8/8/8/8/8/4K3 w - - 0 1",                              // pawn on the last rank
        "4k3/8/8/8/8/8/8/4K2r b - - 0 1",                              // side not to move in check
        "QQQQkQQQ/QQQQQQQQ/8/8/8/8/8/4K3 w - - 0 1",                   // more than 16 pieces a side
    };
    for (const char* fen : refused) {
        ASSERT_TRUE(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 9"));
        ASSERT_TRUE(playMoves("e1d1"));
        const Position before = *currentPosition;
        Position* top = currentPosition;
        EXPECT_EQ(readFen(fen), 0) << fen;
        EXPECT_EQ(currentPosition, top) << fen;
        EXPECT_TRUE(samePosition(*currentPosition, before)) << fen;
    }
}

TEST(ReadFen, TextLongerThanTheBufferIsRefused) {
    const std::string fen = "4k3/8/8/8/8/8/8/4K3 w - - 0 1";
    const std::string fits = fen + std::string(FEN_BUFFER_LENGTH - fen.size(), ' ');
    EXPECT_TRUE(loadFen(fits.c_str()));
    const std::string tooLong = fits + " ";
    EXPECT_FALSE(loadFen(tooLong.c_str()));
}

TEST(ReadFen, FillsTheTopRecordWithoutMovingIt) {
    setStartPosition();
    ASSERT_TRUE(playMoves("e2e4 e7e5"));
    Position* top = currentPosition;
    ASSERT_EQ(readFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), 1);
    EXPECT_EQ(currentPosition, top);
    EXPECT_EQ(popCount(occupiedSquares(*currentPosition)), 2);
}

std::string captureBoard() {
    testing::internal::CaptureStdout();
    printBoard();
    return testing::internal::GetCapturedStdout();
}

TEST(PrintBoard, DrawsTheStartPositionExactly) {
    setStartPosition();
    const std::string border = "  +---+---+---+---+---+---+---+---+\n";
    const std::string expected = "\n\n" + border + "8 | t | c | a | d | r | a | c | t |\n" + border +
                                 "7 | p | p | p | p | p | p | p | p |\n" + border +
                                 "6 |   |   |   |   |   |   |   |   |\n" + border +
                                 "5 |   |   |   |   |   |   |   |   |\n" + border +
                                 "4 |   |   |   |   |   |   |   |   |\n" + border +
                                 "3 |   |   |   |   |   |   |   |   |\n" + border +
                                 "2 | P | P | P | P | P | P | P | P |\n" + border +
                                 "1 | T | C | A | D | R | A | C | T |\n" + border +
                                 "\n    A   B   C   D   E   F   G   H\n\n";
    const std::string printed = captureBoard();
    EXPECT_EQ(printed.size(), 650u);
    EXPECT_EQ(printed, expected);
}

TEST(PrintBoard, ShowsWhiteAtTheBottomWithBlackToMove) {
    setStartPosition();
    ASSERT_TRUE(playMoves("e2e4"));
    const Position before = *currentPosition;
    const std::string printed = captureBoard();
    EXPECT_NE(printed.find("4 |   |   |   |   | P |   |   |   |\n"), std::string::npos);
    EXPECT_NE(printed.find("2 | P | P | P | P |   | P | P | P |\n"), std::string::npos);
    EXPECT_NE(printed.find("8 | t | c | a | d | r | a | c | t |\n"), std::string::npos);
    EXPECT_TRUE(samePosition(*currentPosition, before));
}

// What readFen reads, writeFen writes back in the same words, and a record reached by moves is
// written as the FEN that reads back to it.
TEST(WriteFen, WritesWhatReadFenReads) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "1k1r3r/p1p3pp/B2b1p2/B2R4/4p2P/P3P3/1PP3P1/6K1 b - - 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R b Kq - 37 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1",
        "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1",
        "8/8/8/8/8/8/8/K6k w - - 100 1",
    };
    for (const char* fen : fens) {
        ASSERT_TRUE(loadFen(fen)) << fen;
        char written[FEN_TEXT_SIZE];
        writeFen(written, *currentPosition);
        EXPECT_STREQ(written, fen);
    }
    setStartPosition();
    ASSERT_TRUE(playMoves("e2e4 c7c5 g1f3 b8c6 e1e2 c6d4"));
    const Position played = *currentPosition;
    char written[FEN_TEXT_SIZE];
    writeFen(written, played, 4);
    EXPECT_STREQ(written, "r1bqkbnr/pp1ppppp/8/2p5/3nP3/5N2/PPPPKPPP/RNBQ1B1R w kq - 4 4");
    ASSERT_TRUE(loadFen(written));
    EXPECT_TRUE(sameBoard(*currentPosition, played));
    EXPECT_EQ(currentPosition->castleFlags, played.castleFlags);
    EXPECT_EQ(currentPosition->rule50, played.rule50);
}

}  // namespace
