#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/evaluate.h"
#include "tests/support/board_fixtures.h"

namespace {

int evaluateFen(const char* fen) {
    setStartPosition();
    EXPECT_EQ(readFen(fen), 1) << fen;
    return evaluate();
}

}  // namespace

TEST(Evaluate, StartPositionIsLevelForEitherSide) {
    EXPECT_EQ(evaluateFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    EXPECT_EQ(evaluateFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
}

// Small positions whose score can be worked out by hand. With the kings on e1 and e8 their
// terms are 0 at any piece count, so the score is the extra piece alone; the tables' uneven
// cells (d2, f6, b1, d1, a8) show whether ranks and files are read the right way round.
TEST(Evaluate, ScoresHandWorkedPositions) {
    struct Case {
        const char* fen;
        int score;
    };
    const Case cases[] = {
        // King blend with three pieces: white Kg1 is (3*30 + 29*-5) >> 5 = -55 >> 5 = -2.
        {"4k3/8/8/8/8/8/P7/6K1 w - - 0 1", 98},
        {"4k3/8/8/8/8/8/P7/6K1 b - - 0 1", -98},
        {"6k1/8/8/8/8/8/P7/6K1 w - - 0 1", 100},
        // Two kings: white Kc1 is (2*20 + 30*-5) >> 5 = -110 >> 5 = -4 (rounded down, not -3).
        {"4k3/8/8/8/8/8/8/2K5 w - - 0 1", -4},
        {"2k5/8/8/8/8/8/8/4K3 b - - 0 1", -4},
        // A pawn one step from promotion, for the side to move and against it.
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", 160},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", 160},
        {"4k3/8/8/8/8/8/p7/4K3 w - - 0 1", -160},
        {"4k3/P7/8/8/8/8/8/4K3 b - - 0 1", -160},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", 98},
        {"4k3/8/2P5/8/8/8/8/4K3 w - - 0 1", 125},
        {"4k3/8/5P2/8/8/8/8/4K3 w - - 0 1", 115},
        {"4k3/8/8/8/8/5p2/8/4K3 b - - 0 1", 115},
        {"4k3/8/8/8/8/5p2/8/4K3 w - - 0 1", -115},
        {"4k3/8/8/8/3p4/8/8/4K3 w - - 0 1", -150},
        {"N3k3/8/8/8/8/8/8/4K3 w - - 0 1", 295},
        {"4k3/8/8/8/8/8/8/n3K3 w - - 0 1", -295},
        {"4k3/8/8/8/3B4/8/8/4K3 w - - 0 1", 320},
        {"4k3/8/8/8/8/8/8/1R2K3 w - - 0 1", 495},
        {"1r2k3/8/8/8/8/8/8/4K3 b - - 0 1", 495},
        {"4k3/R7/8/8/8/8/8/4K3 b - - 0 1", -510},
        {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", 954},
        {"3qk3/8/8/8/8/8/8/4K3 w - - 0 1", -954},
    };
    for (const Case& c : cases) EXPECT_EQ(evaluateFen(c.fen), c.score) << c.fen;
}

// Seen from the other side the same position is worth exactly the opposite.
TEST(Evaluate, TurningTheBoardOverNegatesTheScore) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    };
    for (const char* fen : fens) {
        const int score = evaluateFen(fen);
        flipBoard(*currentPosition);
        EXPECT_EQ(evaluate(), -score) << fen;
    }
}

TEST(Evaluate, LeavesTheRecordUntouched) {
    setStartPosition();
    ASSERT_EQ(readFen("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1"), 1);
    const Position before = *currentPosition;
    evaluate();
    EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof before), 0);
}

// Every pseudo-legal move of the current position: where materialAfter has an answer, it is
// the materialScore of the position the move leads to. Returns the legal moves.
std::vector<Move> checkMaterialAfterEveryMove(int& checked, int& known) {
    const Position& before = *currentPosition;
    const int material = materialScore(before);
    EXPECT_EQ(material + kingScore(before), evaluate());
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    std::vector<Move> legal;
    for (int i = 0; i < count; ++i) {
        const int expected = materialAfter(material, before, moves[i]);
        makeMove(moves[i]);
        if (expected != UNKNOWN_MATERIAL) {
            EXPECT_EQ(materialScore(*currentPosition), expected) << std::hex << moves[i];
            ++known;
        }
        if (!opponentKingAttacked(*currentPosition)) legal.push_back(moves[i]);
        takeBack();
        ++checked;
    }
    return legal;
}

// The split the search uses: material plus kings is the whole score, and the material of the
// position a move leads to follows from the move. Checked on every pseudo-legal move (legal or
// not) along random games from starts that reach every move kind, and after a null move too,
// which can leave a stale en-passant file whose capture takes no pawn.
TEST(Evaluate, MaterialAfterAMoveMatchesTheNewPosition) {
    std::mt19937 random(11);
    int checked = 0, known = 0;
    for (const char* start : VARIED_STARTS) {
        for (int game = 0; game < 10; ++game) {
            ASSERT_TRUE(loadFen(start)) << start;
            for (int ply = 0; ply < 120; ++ply) {
                const std::vector<Move> legal = checkMaterialAfterEveryMove(checked, known);
                if (HasFailure()) return;
                // The null move turns the record over in place and keeps its en-passant file.
                if (!legal.empty() && ply % 3 == 0) {
                    makeMove(legal[random() % legal.size()]);
                    flipBoard(*currentPosition);
                    checkMaterialAfterEveryMove(checked, known);
                    flipBoard(*currentPosition);
                    takeBack();
                    if (HasFailure()) return;
                }
                if (legal.empty()) break;
                makeMove(legal[random() % legal.size()]);
            }
        }
    }
    EXPECT_GT(known, 50000);
    EXPECT_GT(checked, known);
}

// The same for Chess960 castling, whose rook starts on the setup's square, from starts where
// both sides can castle both ways at once.
TEST(Evaluate, MaterialAfterChess960CastlingMatchesTheNewPosition) {
    std::mt19937 random(5);
    int checked = 0, known = 0;
    for (const char* start : {"1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R2K1R1 w GBgb - 0 1",
                              "r3k1r1/pp4pp/8/8/8/8/PP4PP/R3K1R1 b GAga - 0 1",
                              "2r3kr/p6p/8/8/8/8/P6P/2R3KR w HChc - 0 1"}) {
        for (int game = 0; game < 4; ++game) {
            ASSERT_TRUE(loadFen(start)) << start;
            for (int ply = 0; ply < 40; ++ply) {
                const std::vector<Move> legal = checkMaterialAfterEveryMove(checked, known);
                if (HasFailure()) return;
                if (legal.empty()) break;
                makeMove(legal[random() % legal.size()]);
            }
        }
    }
    setStartPosition();
    EXPECT_GT(known, 1000);
}
