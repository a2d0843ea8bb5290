#include <gtest/gtest.h>

#include <string>

#include "board/movetext.h"
#include "tests/support/board_fixtures.h"

namespace {

struct ParseCase {
    const char* fen;
    const char* text;
    int accepted;
};

class ParseMove : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseMove, AcceptsExactlyTheLegalMoves) {
    const ParseCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Position before = *currentPosition;
    Position* const top = currentPosition;
    EXPECT_EQ(parseMove(c.text), c.accepted) << c.fen << " " << c.text;
    if (c.accepted) {
        EXPECT_EQ(currentPosition, top + 1);
        EXPECT_NE(currentPosition->sideToMove, before.sideToMove);
    } else {
        EXPECT_EQ(currentPosition, top);
        EXPECT_TRUE(samePosition(*currentPosition, before)) << "a refused move must leave the record alone";
    }
}

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* CASTLES = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* CASTLES_BLACK = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseMove,
    testing::Values(
        ParseCase{START, "e2e4", 1}, ParseCase{START, "g1f3", 1}, ParseCase{START, "e2e4 ", 1},
        ParseCase{START, "e2e4 junk", 1}, ParseCase{START, "e2e5", 0}, ParseCase{START, "g1g3", 0},
        ParseCase{START, "e1e2", 0}, ParseCase{START, "e2d3", 0}, ParseCase{START, "e2e4x", 0},
        ParseCase{START, "E2E4", 0}, ParseCase{START, "e2e4\n", 0}, ParseCase{START, "e7e5", 0},
        ParseCase{START, "e3e4", 0},
        // Short text and squares off the board.
        ParseCase{START, "", 0}, ParseCase{START, "e2", 0}, ParseCase{START, "e2e", 0},
        ParseCase{START, "i2i4", 0}, ParseCase{START, "e0e4", 0}, ParseCase{START, "e2e9", 0},
        ParseCase{START, "`2e4", 0},
        // A promotion letter belongs to exactly the pawn moves onto the last rank.
        ParseCase{START, "e2e4q", 0}, ParseCase{START, "g1f3q", 0},
        ParseCase{"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", 1},
        ParseCase{"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8n", 1},
        ParseCase{"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8", 0},
        ParseCase{"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8k", 0},
        ParseCase{"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8Q", 0},
        ParseCase{"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1r", 1},
        // Captures stay on the board.
        ParseCase{"4k3/8/8/8/8/8/P6p/4K3 w - - 0 1", "a2h3", 0},
        // Pins and check.
        ParseCase{"4k3/8/8/8/8/8/8/4KB1r w - - 0 1", "f1e2", 0},
        ParseCase{"4k3/8/8/8/8/8/8/4KB1r w - - 0 1", "f1g2", 0},
        ParseCase{"4k3/8/8/8/8/8/8/4K2r w - - 0 1", "e1e2", 1},
        ParseCase{"4k3/8/8/8/8/8/8/4K2r w - - 0 1", "e1f1", 0},
        // Castling: allowed, through an attacked square, out of check, blocked, b1 attacked only.
        ParseCase{CASTLES, "e1g1", 1}, ParseCase{CASTLES, "e1c1", 1}, ParseCase{CASTLES_BLACK, "e8g8", 1},
        ParseCase{CASTLES_BLACK, "e8c8", 1},
        ParseCase{"r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1", "e1g1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1", "e1g1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/6r1/R3K2R w KQkq - 0 1", "e1g1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1", "e1g1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/3r4/R3K2R w KQkq - 0 1", "e1c1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/2r5/R3K2R w KQkq - 0 1", "e1c1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/1r6/R3K2R w KQkq - 0 1", "e1c1", 1},
        ParseCase{"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1c1", 0},
        ParseCase{"r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1", "e1g1", 0},
        ParseCase{"r3k2r/1R6/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", 1},
        // En passant only right after the double step.
        ParseCase{"rnbqkbnr/1pppp1pp/p7/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5f6", 1},
        ParseCase{"rnbqkbnr/1pppp1pp/p7/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3", "e5f6", 0},
        ParseCase{"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", 1},
        // An en-passant capture that uncovers a rank attack on its own king.
        ParseCase{"8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5c6", 0}));

TEST(ParseMove, MakesTheMoveOfTheRightKind) {
    setStartPosition();
    ASSERT_TRUE(playMoves("e2e4 a7a6 e4e5 f7f5"));
    ASSERT_EQ(currentPosition->enPassant, 5);
    ASSERT_EQ(parseMove("e5f6"), 1);
    // Black's pawn on f5 (record square f4 for black) is gone, white's pawn stands on f6.
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("f4")), EMPTY);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("f3")), PAWN);

    ASSERT_TRUE(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
    ASSERT_EQ(parseMove("e1g1"), 1);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("g8")), KING);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("f8")), ROOK);
}

TEST(ParseMove, RefusesWhenTheStackIsFull) {
    setStartPosition();
    Position* const saved = currentPosition;
    currentPosition = positionStack + POSITION_STACK_SIZE - 1;
    *currentPosition = *saved;
    EXPECT_EQ(parseMove("e2e4"), 0);
    EXPECT_EQ(currentPosition, positionStack + POSITION_STACK_SIZE - 1);
    setStartPosition();
}

TEST(MoveToText, WritesRealSquaresForBothColours) {
    struct Case {
        Move move;
        std::uint32_t side;
        const char* text;
    } cases[] = {
        {encodeMove(PAWN_PUSH, squareOf("e2"), squareOf("e4")), 0, "e2e4 "},
        {encodeMove(PAWN_PUSH, 11, 27), 1, "d7d5 "},
        {encodeMove(PROMOTION, squareOf("a7"), squareOf("a8"), QUEEN), 0, "a7a8q"},
        {encodeMove(PROMOTION_CAPTURE, squareOf("b7"), squareOf("a8"), KNIGHT), 1, "b2a1n"},
        {encodeMove(PROMOTION, squareOf("h7"), squareOf("h8"), ROOK), 0, "h7h8r"},
        {encodeMove(PROMOTION, squareOf("h7"), squareOf("h8"), BISHOP), 1, "h2h1b"},
        {encodeMove(CASTLE_SHORT, 4, 6), 1, "e8g8 "},
    };
    for (const Case& c : cases) {
        Position p{};
        p.sideToMove = c.side;
        char text[6];
        moveToText(text, c.move, p);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(MoveToText, IsReadBackToTheSameMove) {
    ASSERT_TRUE(loadFen("r3k2r/8/8/8/8/8/6p1/R3K2R b KQkq - 0 1"));
    const Move moves[] = {encodeMove(PROMOTION_CAPTURE, squareOf("g7"), squareOf("h8"), KNIGHT),
                          encodeMove(CASTLE_LONG, 4, 2), encodeMove(ROOK_MOVE, 0, 8)};
    for (const Move move : moves) {
        char text[6];
        moveToText(text, move, *currentPosition);
        makeMove(move);
        const Position direct = *currentPosition;
        takeBack();
        ASSERT_EQ(parseMove(text), 1) << text;
        EXPECT_TRUE(samePosition(*currentPosition, direct)) << text;
        takeBack();
    }
}

// The search plays a remembered move as its text would be played. Every code with a known
// kind (on every pair of squares, promotion types the text can and cannot show) from positions
// of both colours: the same answer and the same record as parsing the text, and the code
// returned makes that record itself.
TEST(PlayAsText, MakesWhatParsingTheTextMakes) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N w - - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    };
    constexpr std::uint32_t KINDS[] = {PAWN_PUSH,      KNIGHT_MOVE,   BISHOP_MOVE,    ROOK_MOVE,     QUEEN_MOVE,
                                       KING_MOVE,      PAWN_CAPTURE,  KNIGHT_CAPTURE, BISHOP_CAPTURE, ROOK_CAPTURE,
                                       QUEEN_CAPTURE,  KING_CAPTURE,  PROMOTION,      CASTLE_SHORT,  PROMOTION_CAPTURE,
                                       CASTLE_LONG,    EN_PASSANT};
    int played = 0;
    for (const char* fen : fens) {
        ASSERT_TRUE(loadFen(fen)) << fen;
        const Position* const top = currentPosition;
        for (int from = 0; from < 64; ++from)
            for (int to = 0; to < 64; ++to)
                for (const std::uint32_t kind : KINDS)
                    for (const int promotion : {0, 1, int{KNIGHT}, int{QUEEN}, 6}) {
                        const Move move = encodeMove(kind, from, to, promotion);
                        char text[6];
                        moveToText(text, move, *currentPosition);
                        const int parsed = parseMove(text);
                        const Position byText = *currentPosition;
                        if (parsed == 1) takeBack();
                        const Move made = playAsText(move);
                        ASSERT_EQ(made != 0, parsed == 1) << fen << " " << text;
                        if (made == 0) {
                            ASSERT_EQ(currentPosition, top);
                            continue;
                        }
                        EXPECT_TRUE(samePosition(*currentPosition, byText)) << fen << " " << text;
                        takeBack();
                        makeMove(made);
                        EXPECT_TRUE(samePosition(*currentPosition, byText)) << fen << " " << text;
                        takeBack();
                        ++played;
                    }
    }
    EXPECT_GT(played, 500);
}

}  // namespace
