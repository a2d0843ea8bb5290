#include <gtest/gtest.h>

#include <vector>

#include "bench/search_positions.h"
#include "search/key_update.h"
#include "search_fixture.h"

using namespace search_test;

namespace {

class KeyUpdateTest : public SearchTest {};

// Every pseudo-legal move (legal or not, since the search computes the key before testing),
// three plies deep along the legal ones.
void compareMoves(int plies) {
    const PositionKey key = computePositionKey();
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    for (int i = 0; i < count; ++i) {
        const PositionKey expected = keyAfterMove(key, *currentPosition, moves[i]);
        makeMove(moves[i]);
        ASSERT_EQ(expected, computePositionKey()) << text(moves[i]);
        const bool legal = !opponentKingAttacked(*currentPosition);
        if (legal && plies > 1) compareMoves(plies - 1);
        takeBack();
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace

TEST_F(KeyUpdateTest, MatchesTheKeyComputedFromTheBoard) {
    std::vector<const char*> fens;
    for (const SearchBenchPosition& position : SEARCH_BENCH_POSITIONS) fens.push_back(position.fen);
    for (const char* fen : {
             "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",              // castling, rook corners
             "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1",
             "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",                // en passant taken or let go
             "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1",
             "4k3/1p1p4/8/2P5/8/8/5p1p/K5N1 b - - 0 1",          // double steps beside pawns, promotions
             "1n2k3/P1P5/8/8/8/8/8/4K3 w - - 0 1",
             // Chess960 castling: rooks off the corners, a king or a rook already where it
             // lands, the king on its rook's destination.
             "1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R2K1R1 w GBgb - 0 1",
             "2r3kr/p6p/8/8/8/8/P6P/2R3KR b HChc - 0 1",
             "r2k3r/pppppppp/8/8/8/8/PPPPPPPP/R4K1R w HAha - 0 1",
             "1k6/8/8/8/8/8/8/RK5R w HA - 0 1",
         })
        fens.push_back(fen);
    for (const char* fen : fens) {
        SCOPED_TRACE(fen);
        loadFen(fen);
        compareMoves(3);
        if (HasFatalFailure()) return;
    }
}
