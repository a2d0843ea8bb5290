#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/attacks.h"
#include "movegen/movegen.h"
#include "tests/support/board_fixtures.h"

namespace {

// Along random games from varied starts: the yes/no legality test and the shortcut that skips
// it agree with the full attacker set on every pseudo-legal move.
TEST(Legality, FastFormsAgreeWithTheAttackerSet) {
    std::mt19937 random(7);
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    int checked = 0;
    for (const char* start : starts) {
        for (int game = 0; game < 20; ++game) {
            ASSERT_TRUE(loadFen(start));
            for (int ply = 0; ply < 150; ++ply) {
                Move moves[MAX_MOVES];
                int count = 0;
                generateAllMoves(moves, count);
                const LegalityShortcut shortcut = LegalityShortcut::forCurrentPosition();
                std::vector<Move> legal;
                for (int i = 0; i < count; ++i) {
                    makeMove(moves[i]);
                    const bool attacked = opponentKingAttackers() != 0;
                    ASSERT_EQ(opponentKingAttacked(*currentPosition), attacked);
                    if (!shortcut.needsTest(moves[i])) {
                        ASSERT_FALSE(attacked) << "shortcut passed an illegal move";
                    }
                    if (!attacked) legal.push_back(moves[i]);
                    takeBack();
                    ++checked;
                }
                if (legal.empty()) break;
                makeMove(legal[random() % legal.size()]);
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

}  // namespace
