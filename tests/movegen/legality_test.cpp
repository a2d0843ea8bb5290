#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include "board/attacks.h"
#include "board/legal_moves.h"
#include "movegen/movegen.h"
#include "tests/support/board_fixtures.h"

namespace {

// Along random games from varied starts: the yes/no check and legality tests and the shortcut
// that skips the latter agree with the full attacker sets, on every position and every
// pseudo-legal move.
TEST(Legality, FastFormsAgreeWithTheAttackerSet) {
    std::mt19937 random(7);
    std::vector<const char*> starts(std::begin(VARIED_STARTS), std::end(VARIED_STARTS));
    starts.insert(starts.end(), {
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
        "r3k2r/ppp1bppp/2nq1n2/3p4/3P2b1/2NQBN2/PPP1BPPP/R3K2R w KQkq - 0 1",
        // Pins on every kind of line, pinned pawns.
        "4k3/4r3/8/4N3/8/2b5/3P4/r3K2B w - - 0 1",
        "q3k3/8/8/3b4/8/1P6/P1R5/K2R3r w - - 0 1",
        "4k3/8/8/1b6/8/3Q4/8/r2RK2r w - - 0 1",
    });
    int checked = 0;
    for (const char* start : starts) {
        for (int game = 0; game < 20; ++game) {
            ASSERT_TRUE(loadFen(start));
            for (int ply = 0; ply < 150; ++ply) {
                Move moves[MAX_MOVES];
                int count = 0;
                generateAllMoves(moves, count);
                ASSERT_EQ(ownKingAttacked(*currentPosition), ownKingAttackers() != 0);
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
                // Castling from the generator's masks and scans agrees with the parser's general
                // attack test on the same three squares.
                for (const char* castle : {"e1g1", "e1c1", "e8g8", "e8c8"}) {
                    const Move code = castle[2] == 'g' ? encodeMove(CASTLE_SHORT, 4, 6) : encodeMove(CASTLE_LONG, 4, 2);
                    MoveList quiets;
                    generateQuiets(quiets);
                    bool generated = false;
                    for (int i = 0; i < quiets.count; ++i) generated = generated || quiets.moves[i] == code;
                    const bool ownKingOnE = pieceTypeAt(*currentPosition, 4) == KING && (currentPosition->ownPieces & 1u << 4);
                    if (!ownKingOnE || (castle[1] == '1') != (currentPosition->sideToMove == 0)) continue;
                    const bool parsed = parseMove(castle) == 1;
                    if (parsed) takeBack();
                    ASSERT_EQ(generated, parsed) << castle;
                }
                if (legal.empty()) break;
                makeMove(legal[random() % legal.size()]);
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

// The board core's own legal-move list (behind SAN and the game records) holds exactly the
// generators' legal moves, along random games from the same varied starts.
TEST(Legality, BoardLegalListMatchesTheGenerators) {
    std::mt19937 random(16);
    for (const char* start : VARIED_STARTS) {
        for (int game = 0; game < 10; ++game) {
            ASSERT_TRUE(loadFen(start));
            for (int ply = 0; ply < 150; ++ply) {
                Move moves[MAX_MOVES];
                int count = 0;
                generateAllMoves(moves, count);
                std::vector<Move> generated;
                for (int i = 0; i < count; ++i) {
                    makeMove(moves[i]);
                    if (opponentKingAttackers() == 0) generated.push_back(moves[i]);
                    takeBack();
                }
                MoveList listed;
                listLegalMoves(listed);
                std::vector<Move> board(listed.moves, listed.moves + listed.count);
                std::sort(generated.begin(), generated.end());
                std::sort(board.begin(), board.end());
                ASSERT_EQ(board, generated) << start << " ply " << ply;
                ASSERT_EQ(anyLegalMove(), !generated.empty());
                if (generated.empty()) break;
                makeMove(generated[random() % generated.size()]);
            }
        }
    }
}

}  // namespace
