#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/fen.h"
#include "board/legal_moves.h"
#include "board/san.h"
#include "tests/support/board_fixtures.h"

namespace {

// A Chess960 game for the test's length: the switches go off and the standard setup comes back
// afterwards, so no other test inherits them.
class Chess960Game : public testing::Test {
protected:
    void SetUp() override { chess960 = true; }
    void TearDown() override {
        chess960 = false;
        chess960Notation = false;
        setStartPosition();
    }
};

bool sameSetup(const CastlingSetup& a, const CastlingSetup& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string setupText(const CastlingSetup& s) {
    std::string text;
    for (int colour = WHITE; colour <= BLACK; ++colour)
        for (int file : {s.rookFile[colour][LONG_CASTLING], s.kingFile[colour], s.rookFile[colour][SHORT_CASTLING]})
            text += static_cast<char>('a' + file);
    return text;  // "aeh" + "aeh" for the standard setup
}

TEST(Chess960StartArrays, FollowTheStandardNumbering) {
    const struct {
        int number;
        const char* array;
    } known[] = {{0, "BBQNNRKR"}, {1, "BQNBNRKR"}, {518, "RNBQKBNR"}, {959, "RKRNNQBB"}};
    for (const auto& k : known) {
        char letters[9];
        ASSERT_EQ(chess960BackRank(k.number, letters), 1);
        EXPECT_STREQ(letters, k.array) << k.number;
    }
    char letters[9];
    EXPECT_EQ(chess960BackRank(-1, letters), 0);
    EXPECT_EQ(chess960BackRank(960, letters), 0);
}

// Every number gives a different array with the bishops on opposite colours and the king
// between the rooks.
TEST(Chess960StartArrays, AreAllDifferentAndFollowTheRules) {
    std::set<std::string> arrays;
    for (int number = 0; number < 960; ++number) {
        char letters[9];
        ASSERT_EQ(chess960BackRank(number, letters), 1);
        const std::string array = letters;
        std::string sorted = array;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, "BBKNNQRR") << number;
        EXPECT_NE(array.find('B') % 2, array.rfind('B') % 2) << array;
        EXPECT_LT(array.find('R'), array.find('K')) << array;
        EXPECT_GT(array.rfind('R'), array.find('K')) << array;
        arrays.insert(array);
    }
    EXPECT_EQ(arrays.size(), 960u);
}

TEST_F(Chess960Game, StartPositionFromItsNumber) {
    char fen[64];
    ASSERT_EQ(writeChess960Fen(fen, 0), 1);
    EXPECT_STREQ(fen, "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1");
    ASSERT_TRUE(loadFen(fen));
    const Position fromFen = *currentPosition;
    EXPECT_EQ(setupText(castling.setup), "fghfgh");
    EXPECT_EQ(currentPosition->castleFlags, 0x33);
    // Set up directly, with the switch on or off: the same game.
    for (bool game : {true, false}) {
        chess960 = game;
        ASSERT_TRUE(playMoves("e2e4"));
        ASSERT_EQ(setChess960StartPosition(0), 1);
        EXPECT_EQ(currentPosition, positionStack);
        EXPECT_TRUE(samePosition(*currentPosition, fromFen));
        EXPECT_EQ(setupText(castling.setup), "fghfgh");
    }
    // 518 is standard chess.
    ASSERT_EQ(setChess960StartPosition(518), 1);
    EXPECT_TRUE(samePosition(*currentPosition, initialPosition()));
    EXPECT_TRUE(castling.side[WHITE].standard && castling.side[BLACK].standard);
    // Out of range, nothing changes.
    ASSERT_TRUE(playMoves("e2e4"));
    const Position before = *currentPosition;
    EXPECT_EQ(setChess960StartPosition(960), 0);
    EXPECT_EQ(setChess960StartPosition(-1), 0);
    EXPECT_EQ(writeChess960Fen(fen, 960), 0);
    EXPECT_EQ(currentPosition, positionStack + 1);
    EXPECT_TRUE(samePosition(*currentPosition, before));
}

// The castling field read against the board: which rights remain (white's in the low nibble,
// white being to move) and the files of the setup, white's then black's, long rook, king,
// short rook.
struct CastlingFieldCase {
    const char* fen;
    bool game;  // the chess960 switch
    std::uint8_t castleFlags;
    const char* setup;
};

class CastlingField : public testing::TestWithParam<CastlingFieldCase> {
protected:
    void TearDown() override {
        chess960 = false;
        setStartPosition();
    }
};

TEST_P(CastlingField, NamesTheRooks) {
    const CastlingFieldCase& c = GetParam();
    chess960 = c.game;
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    EXPECT_EQ(currentPosition->castleFlags, c.castleFlags) << c.fen;
    EXPECT_EQ(setupText(castling.setup), c.setup) << c.fen;
}

INSTANTIATE_TEST_SUITE_P(
    ShredderAndXFen, CastlingField,
    testing::Values(
        // Rook files name the standard rooks too, with the switch on or off.
        CastlingFieldCase{"r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", false, 0x33, "aehaeh"},
        CastlingFieldCase{"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, 0x33, "aehaeh"},
        // X-FEN: KQkq are the outermost rooks on each side of the king, wherever it stands.
        CastlingFieldCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w KQkq - 0 1", true, 0x33, "adhbdh"},
        // Standard chess has no king on d1 with castling rights.
        CastlingFieldCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w KQkq - 0 1", false, 0x00, "aehaeh"},
        // A file letter names an inner rook; its side of the king makes it long or short.
        CastlingFieldCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w Cf - 0 1", true, 0x21, "cdhadf"},
        CastlingFieldCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w HAhb - 0 1", false, 0x33, "adhbdh"},
        CastlingFieldCase{"4k3/8/8/8/8/8/8/rR2K1N1 w Q - 0 1", true, 0x01, "behaeh"},
        CastlingFieldCase{"4k3/8/8/8/8/8/8/rR2K1N1 w Q - 0 1", false, 0x00, "aehaeh"},
        // Letters whose rook or king is not there are dropped.
        CastlingFieldCase{"4k3/8/8/8/8/8/8/4K2R w GEk - 0 1", true, 0x00, "aehaeh"},
        CastlingFieldCase{"4k3/8/8/8/8/8/K7/7R w H - 0 1", true, 0x00, "aehaeh"},
        CastlingFieldCase{"4k3/8/8/8/8/8/8/4K1RR w KQ - 0 1", true, 0x02, "aehaeh"}));

TEST_F(Chess960Game, ReadingTheStandardStartByRookFiles) {
    for (bool game : {false, true}) {
        chess960 = game;
        ASSERT_TRUE(loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1"));
        EXPECT_TRUE(samePosition(*currentPosition, initialPosition()));
        EXPECT_TRUE(castling.side[WHITE].standard && castling.side[BLACK].standard);
    }
}

TEST_F(Chess960Game, RefusalsKeepTheRecordAndTheSetup) {
    ASSERT_TRUE(loadFen("1r1k1r1r/8/8/8/8/8/8/R1RK3R w KQkq - 0 1"));
    const Position before = *currentPosition;
    const CastlingSetup setup = castling.setup;
    for (const char* fen : {
             "4k3/8/8/8/8/8/8/4K1RR w KG - 0 1",  // two rooks for one right
             "4k3/8/8/8/8/8/8/4K2R w I - 0 1",    // no file
             "4k3/8/8/8/8/8/8/4K2R w H- - 0 1",
             "4k3/8/8/8/8/8/8/4K2R w Kk1 - 0 1",
             "4k3/8/8/8/8/8/4r3/R3K2R b HA - 0 1",  // a sound field, but white is in check
         }) {
        EXPECT_EQ(readFen(fen), 0) << fen;
        EXPECT_TRUE(samePosition(*currentPosition, before)) << fen;
        EXPECT_TRUE(sameSetup(castling.setup, setup)) << fen;
    }
}

// writeFen gives the letters that read back to the same game under the same switch: KQkq for
// the standard rooks, and in a Chess960 game for the outermost ones; rook files otherwise.
struct WrittenCase {
    const char* fen;
    bool game;
    const char* written;
};

class WrittenCastling : public testing::TestWithParam<WrittenCase> {
protected:
    void TearDown() override {
        chess960 = false;
        setStartPosition();
    }
};

TEST_P(WrittenCastling, ReadsBackToTheSameGame) {
    const WrittenCase& c = GetParam();
    chess960 = c.game;
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Position read = *currentPosition;
    const CastlingSetup setup = castling.setup;
    char written[FEN_TEXT_SIZE];
    writeFen(written, read);
    EXPECT_STREQ(written, c.written);
    ASSERT_TRUE(loadFen(written)) << written;
    EXPECT_TRUE(samePosition(*currentPosition, read)) << written;
    EXPECT_TRUE(sameSetup(castling.setup, setup)) << written;
}

INSTANTIATE_TEST_SUITE_P(
    BothSwitches, WrittenCastling,
    testing::Values(
        WrittenCase{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", false,
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        WrittenCase{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", true,
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        WrittenCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w HAhb - 0 1", true, "1r1k1r1r/8/8/8/8/8/8/R1RK3R w KQkq - 0 1"},
        WrittenCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R w HAhb - 0 1", false, "1r1k1r1r/8/8/8/8/8/8/R1RK3R w HAhb - 0 1"},
        WrittenCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R b KQfb - 3 1", true, "1r1k1r1r/8/8/8/8/8/8/R1RK3R b KQfq - 3 1"},
        WrittenCase{"4k3/8/8/8/8/8/8/rR2K1N1 w B - 0 1", true, "4k3/8/8/8/8/8/8/rR2K1N1 w Q - 0 1"},
        WrittenCase{"4k3/8/8/8/8/8/8/rR2K1N1 w B - 0 1", false, "4k3/8/8/8/8/8/8/rR2K1N1 w B - 0 1"},
        // The inner of two short rooks keeps its file; the a1 rook is a standard one.
        WrittenCase{"4k3/8/8/8/8/8/8/R3K1RR w GA - 0 1", true, "4k3/8/8/8/8/8/8/R3K1RR w GQ - 0 1"},
        WrittenCase{"4k3/8/8/8/8/8/8/R3K1RR w GA - 0 1", false, "4k3/8/8/8/8/8/8/R3K1RR w GQ - 0 1"}));

// One castling of each Chess960 shape, written in Chess960 notation: where king and rook end,
// the square left empty, the mover's rights gone; taking it back restores the record.
struct CastlingCase {
    const char* fen;
    const char* move;
    std::uint32_t kind;
    const char* king;  // real squares after the move
    const char* rook;
    const char* emptied;
};

class Chess960Castling : public testing::TestWithParam<CastlingCase> {
protected:
    void SetUp() override { chess960 = chess960Notation = true; }
    void TearDown() override {
        chess960 = chess960Notation = false;
        setStartPosition();
    }
};

TEST_P(Chess960Castling, MovesKingAndRookAndTakesBack) {
    const CastlingCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Position before = *currentPosition;
    const std::uint32_t mover = before.sideToMove;
    const int right = c.kind == CASTLE_SHORT ? SHORT_CASTLING : LONG_CASTLING;
    const Move code = castling.side[mover].move[right];
    EXPECT_EQ(moveKind(code), c.kind);
    makeMove(code);
    const Position direct = *currentPosition;
    takeBack();
    EXPECT_TRUE(samePosition(*currentPosition, before));
    ASSERT_EQ(parseMove(c.move), 1) << c.move;
    const Position& p = *currentPosition;
    EXPECT_TRUE(samePosition(p, direct)) << c.move;
    const Bitboard moverPieces = opponentPieces(p);
    for (const auto& [square, type] : {std::pair{c.king, KING}, std::pair{c.rook, ROOK}}) {
        const int s = realSquare(squareOf(square), p.sideToMove);
        EXPECT_EQ(pieceTypeAt(p, s), type) << c.move << " " << square;
        EXPECT_TRUE(moverPieces & squareBit(s)) << c.move << " " << square;
    }
    EXPECT_EQ(pieceTypeAt(p, realSquare(squareOf(c.emptied), p.sideToMove)), EMPTY) << c.move;
    EXPECT_EQ(p.castleFlags & 0x30, 0) << c.move;
    EXPECT_EQ(p.castleFlags & 0x03, before.castleFlags >> 4) << "the opponent keeps its rights";
    EXPECT_EQ(popCount(occupiedSquares(p)), popCount(occupiedSquares(before)));
    takeBack();
    EXPECT_TRUE(samePosition(*currentPosition, before));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Chess960Castling,
    testing::Values(
        // The king already on g1: only the rook moves.
        CastlingCase{"2r3kr/8/8/8/8/8/8/2R3KR w KQkq - 0 1", "g1h1", CASTLE_SHORT, "g1", "f1", "h1"},
        // The rook on g1, where the king lands: e1g1 is the king taking its rook.
        CastlingCase{"r3k1r1/6p1/8/8/8/8/8/R3K1R1 w GAga - 0 1", "e1g1", CASTLE_SHORT, "g1", "f1", "e1"},
        // The king on f1 or d8, where its rook lands.
        CastlingCase{"r2k3r/8/8/8/8/8/8/R4K1R w HAha - 0 1", "f1h1", CASTLE_SHORT, "g1", "f1", "h1"},
        CastlingCase{"r2k3r/8/8/8/8/8/8/R4K1R w HAha - 0 1", "f1a1", CASTLE_LONG, "c1", "d1", "a1"},
        CastlingCase{"r2k3r/8/8/8/8/8/8/R4K1R b HAha - 0 1", "d8a8", CASTLE_LONG, "c8", "d8", "a8"},
        // The rook already on f8, past the king's way; an outer rook on h8 stays.
        CastlingCase{"1r1k1r1r/8/8/8/8/8/8/R1RK3R b KQfb - 0 1", "d8f8", CASTLE_SHORT, "g8", "f8", "d8"},
        // King on b1, long: both change sides of each other.
        CastlingCase{"1k6/8/8/8/8/8/8/RK5R w A - 0 1", "b1a1", CASTLE_LONG, "c1", "d1", "a1"}));

TEST_F(Chess960Game, NotationSwitchNamesTheRookSquare) {
    ASSERT_TRUE(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
    const Move shortCastling = encodeMove(CASTLE_SHORT, squareOf("e1"), squareOf("g1"));
    const Move longCastling = encodeMove(CASTLE_LONG, squareOf("e1"), squareOf("c1"));
    char text[6];
    // Off: the king's two squares, as in standard chess.
    moveToText(text, shortCastling, *currentPosition);
    EXPECT_STREQ(text, "e1g1 ");
    EXPECT_EQ(parseMove("e1h1"), 0);
    EXPECT_EQ(parseMove("e1a1"), 0);
    EXPECT_EQ(playAsText(longCastling), longCastling);
    takeBack();
    // On: the king takes its own rook; the move code stays the same.
    chess960Notation = true;
    moveToText(text, shortCastling, *currentPosition);
    EXPECT_STREQ(text, "e1h1 ");
    moveToText(text, longCastling, *currentPosition);
    EXPECT_STREQ(text, "e1a1 ");
    EXPECT_EQ(parseMove("e1g1"), 0);
    EXPECT_EQ(parseMove("e1c1"), 0);
    EXPECT_EQ(playAsText(shortCastling), shortCastling);
    takeBack();
    ASSERT_EQ(parseMove("e1h1"), 1);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("g1") ^ 56), KING);
    ASSERT_EQ(parseMove("e8a8"), 1);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("c8")), KING);
}

// f1g1 is a king step and the king's part of castling: with Chess960 notation it is the step,
// and f1h1 the castling.
TEST_F(Chess960Game, KingStepAndCastlingToTheSameSquare) {
    chess960Notation = true;
    ASSERT_TRUE(loadFen("4k3/8/8/8/8/8/8/5K1R w K - 0 1"));
    ASSERT_EQ(parseMove("f1g1"), 1);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("h1") ^ 56), ROOK);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("g1") ^ 56), KING);
    takeBack();
    ASSERT_EQ(parseMove("f1h1"), 1);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("f1") ^ 56), ROOK);
    EXPECT_EQ(pieceTypeAt(*currentPosition, squareOf("g1") ^ 56), KING);
    takeBack();
    // SAN tells them apart by name.
    Move step = 0, castles = 0;
    ASSERT_EQ(readSan("Kg1", step), 1);
    ASSERT_EQ(readSan("O-O", castles), 1);
    EXPECT_EQ(moveKind(step), KING_MOVE);
    EXPECT_EQ(moveKind(castles), CASTLE_SHORT);
    char san[SAN_BUFFER_SIZE];
    ASSERT_EQ(moveToSan(san, castles), 1);
    EXPECT_STREQ(san, "O-O");
    ASSERT_EQ(moveToSan(san, step), 1);
    EXPECT_STREQ(san, "Kg1");
}

TEST_F(Chess960Game, SanCastlesBothWaysForEitherSide) {
    for (const char* fen : {"r2k3r/8/8/8/8/8/8/R4K1R w HAha - 0 1", "r2k3r/8/8/8/8/8/8/R4K1R b HAha - 0 1"}) {
        ASSERT_TRUE(loadFen(fen));
        const std::uint32_t side = currentPosition->sideToMove;
        for (const auto& [text, right] : {std::pair{"O-O", SHORT_CASTLING}, std::pair{"O-O-O", LONG_CASTLING}}) {
            Move move = 0;
            ASSERT_EQ(readSan(text, move), 1) << fen << " " << text;
            EXPECT_EQ(move, castling.side[side].move[right]) << fen << " " << text;
            char san[SAN_BUFFER_SIZE];
            ASSERT_EQ(moveToSan(san, move), 1);
            std::string written = san;
            if (written.ends_with('+')) written.pop_back();  // the rook may land on the king's file
            EXPECT_EQ(written, text);
        }
    }
}

// In both notations, every legal move's text reads back to the same move, castling included.
TEST_F(Chess960Game, EveryLegalMoveReadsBackFromItsText) {
    const char* fens[] = {
        "2r3kr/p6p/8/8/8/8/P6P/2R3KR w KQkq - 0 1",       "r3k1r1/pp4pp/8/8/8/8/PP4PP/R3K1R1 w GAga - 0 1",
        "r2k3r/pppppppp/8/8/8/8/PPPPPPPP/R4K1R b HAha - 0 1", "1r1k1r1r/8/8/8/8/8/8/R1RK3R b KQfb - 0 1",
        "1k6/8/8/8/8/8/8/RK5R w HA - 0 1",                  "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
    };
    for (bool notation : {false, true}) {
        chess960Notation = notation;
        for (const char* fen : fens) {
            ASSERT_TRUE(loadFen(fen)) << fen;
            MoveList legal;
            listLegalMoves(legal);
            int castlings = 0;
            for (int i = 0; i < legal.count; ++i) {
                const Move move = legal.moves[i];
                const bool castles = moveKind(move) == CASTLE_SHORT || moveKind(move) == CASTLE_LONG;
                castlings += castles;
                char text[6];
                moveToText(text, move, *currentPosition);
                makeMove(move);
                const Position made = *currentPosition;
                takeBack();
                // A castling that its king step's text would name instead is standard notation's
                // blind spot in Chess960, not a fault.
                if (!notation && castles && pieceTypeAt(*currentPosition, moveTo(move)) == EMPTY &&
                    (kingAttacks[moveFrom(move)] & squareBit(moveTo(move))))
                    continue;
                ASSERT_EQ(parseMove(text), 1) << fen << " " << text;
                EXPECT_TRUE(samePosition(*currentPosition, made)) << fen << " " << text;
                takeBack();
            }
            EXPECT_GT(castlings, 0) << fen;
        }
    }
}

}  // namespace
