#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/polyglot_random.h"
#include "book/position_key.h"

namespace {

// Published Polyglot reference positions: the moves from the start, the same position as FEN
// and its key.
struct KnownKey {
    std::vector<const char*> moves;
    const char* fen;
    PositionKey key;
};

const std::vector<KnownKey> KNOWN_KEYS = {
    {{}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463B96181691FC9CULL},
    {{"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823C9B50FD114196ULL},
    {{"e2e4", "d7d5"}, "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756B94461C50FB0ULL},
    {{"e2e4", "d7d5", "e4e5"}, "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2",
     0x662FAFB965DB29D4ULL},
    {{"e2e4", "d7d5", "e4e5", "f7f5"}, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
     0x22A48B5A8E47FF78ULL},
    {{"e2e4", "d7d5", "e4e5", "f7f5", "e1e2"}, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3",
     0x652A607CA3F242C1ULL},
    {{"e2e4", "d7d5", "e4e5", "f7f5", "e1e2", "e8f7"}, "rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4",
     0x00FDD303C946BDD9ULL},
    {{"a2a4", "b7b5", "h2h4", "b5b4", "c2c4"}, "rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3",
     0x3C8123EA7B067637ULL},
    {{"a2a4", "b7b5", "h2h4", "b5b4", "c2c4", "b4c3", "a1a3"},
     "rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4", 0x5C3F9B829B279560ULL},
};

std::string describe(const KnownKey& k) {
    std::string text = "after:";
    for (const char* m : k.moves) text += std::string(" ") + m;
    return text;
}

PositionKey keyOfFen(const std::string& fen) {
    setStartPosition();
    EXPECT_EQ(readFen(fen.c_str()), 1) << fen;
    return computePositionKey();
}

// The key computed the long way: turn a copy of the record to white's view and test all 64
// squares. The engine's key must agree with it on every position.
PositionKey referenceKey(Position p) {
    const bool black = p.sideToMove == 1;
    if (black) flipBoard(p);
    PositionKey key = 0;
    for (int s = 0; s < 64; ++s) {
        const int type = pieceTypeAt(p, s);
        if (type == EMPTY) continue;
        const int white = (p.ownPieces >> s) & 1;
        key ^= Random64[64 * (2 * (type - 1) + white) + s];
    }
    if (p.castleFlags & 0x02) key ^= Random64[768];
    if (p.castleFlags & 0x01) key ^= Random64[769];
    if (p.castleFlags & 0x20) key ^= Random64[770];
    if (p.castleFlags & 0x10) key ^= Random64[771];
    if (p.enPassant < 8) {
        // Rank 5 for white to move, rank 4 for black, on the real board.
        const int rank = black ? 3 : 4, f = p.enPassant;
        const Bitboard moverPawns = pawnsOf(p) & (black ? opponentPieces(p) : p.ownPieces);
        bool beside = false;
        if (f > 0 && (moverPawns & squareBit(8 * rank + f - 1))) beside = true;
        if (f < 7 && (moverPawns & squareBit(8 * rank + f + 1))) beside = true;
        if (beside) key ^= Random64[772 + f];
    }
    if (!black) key ^= Random64[780];
    return key;
}

// Every legal move of the current position as text, found by offering parseMove each pair of
// squares (with each promotion letter where needed).
std::vector<std::string> legalMoveTexts() {
    std::vector<std::string> moves;
    const Position& p = *currentPosition;
    for (int from = 0; from < 64; ++from) {
        if (!(p.ownPieces & squareBit(from))) continue;
        for (int to = 0; to < 64; ++to) {
            const int realFrom = realSquare(from, p.sideToMove), realTo = realSquare(to, p.sideToMove);
            for (const char* promotion : {"", "q", "r", "b", "n"}) {
                const std::string text = std::string{char('a' + realFrom % 8), char('1' + realFrom / 8),
                                                     char('a' + realTo % 8), char('1' + realTo / 8)} +
                                         promotion;
                if (parseMove(text.c_str()) == 1) {
                    takeBack();
                    moves.push_back(text);
                }
            }
        }
    }
    return moves;
}

}  // namespace

TEST(PositionKey, MatchesThePublishedKeysAlongPlayedGames) {
    for (const KnownKey& k : KNOWN_KEYS) {
        setStartPosition();
        for (const char* move : k.moves) ASSERT_EQ(parseMove(move), 1) << describe(k) << " at " << move;
        EXPECT_EQ(computePositionKey(), k.key) << describe(k);
    }
}

TEST(PositionKey, MatchesThePublishedKeysFromFen) {
    for (const KnownKey& k : KNOWN_KEYS) EXPECT_EQ(keyOfFen(k.fen), k.key) << k.fen;
}

TEST(PositionKey, LeavesTheRecordUntouched) {
    for (const KnownKey& k : KNOWN_KEYS) {
        setStartPosition();
        ASSERT_EQ(readFen(k.fen), 1);
        const Position before = *currentPosition;
        computePositionKey();
        EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof before), 0) << k.fen;
    }
}

// The same placement with the other side to move differs by exactly the turn number.
TEST(PositionKey, SideToMoveChangesOnlyTheTurnTerm) {
    const char* placements[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8",
    };
    for (const std::string placement : placements) {
        const PositionKey white = keyOfFen(placement + " w KQkq - 0 1");
        const PositionKey black = keyOfFen(placement + " b KQkq - 0 1");
        EXPECT_NE(white, black) << placement;
        EXPECT_EQ(white ^ black, 0xF8D626AAAF278509ULL) << placement;
    }
}

// Each castling right has its own number, whichever side is to move.
TEST(PositionKey, CastlingRightsEachAddTheirOwnTerm) {
    struct Case {
        const char* rights;
        std::uint64_t term;
    };
    const Case cases[] = {
        {"K", 0x31D71DCE64B2C310ULL},
        {"Q", Random64[769]},
        {"k", Random64[770]},
        {"q", Random64[771]},
        {"Kq", 0x31D71DCE64B2C310ULL ^ Random64[771]},
        {"KQkq", Random64[768] ^ Random64[769] ^ Random64[770] ^ Random64[771]},
    };
    for (const std::string side : {" w ", " b "}) {
        const std::string placement = "r3k2r/8/8/8/8/8/8/R3K2R" + side;
        const PositionKey none = keyOfFen(placement + "- - 0 1");
        for (const Case& c : cases)
            EXPECT_EQ(keyOfFen(placement + c.rights + " - 0 1") ^ none, c.term) << side << c.rights;
    }
}

// The en-passant file enters only when a pawn of the side to move stands beside the pawn that
// just advanced: not for a pawn of the other colour, nor across the board's edge.
TEST(PositionKey, EnPassantFileNeedsAnAdjacentPawnOfTheMover) {
    struct Case {
        const char* placementAndSide;
        const char* target;
        int file;  // -1: the file must not enter the key
    };
    const Case cases[] = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w", "d6", 3},
        {"4k3/8/8/4Pp2/8/8/8/4K3 w", "f6", 5},
        {"4k3/8/8/6Pp/8/8/8/4K3 w", "h6", 7},
        {"4k3/8/8/pP6/8/8/8/4K3 w", "a6", 0},
        {"4k3/8/8/P6p/8/8/8/4K3 w", "h6", -1},  // a5 is not beside h5
        {"4k3/8/8/p6P/8/8/8/4K3 w", "a6", -1},  // h5 is not beside a5
        {"4k3/8/P7/7p/8/8/8/4K3 w", "h6", -1},  // a6 follows h5 in square order
        {"4k3/8/8/p7/7P/8/8/4K3 w", "a6", -1},  // h4 precedes a5 in square order
        {"4k3/8/8/3pp3/8/8/8/4K3 w", "d6", -1},  // the neighbour is black's own pawn
        {"4k3/8/8/8/2pP4/8/8/4K3 b", "d3", 3},
        {"4k3/8/8/8/6pP/8/8/4K3 b", "h3", 7},
        {"4k3/8/8/8/p6P/8/8/4K3 b", "h3", -1},
        {"4k3/8/8/8/P6p/8/8/4K3 b", "a3", -1},
        {"4k3/8/8/8/7P/p7/8/4K3 b", "h3", -1},
        {"4k3/8/8/7p/P7/8/8/4K3 b", "a3", -1},
        {"4k3/8/8/8/3PP3/8/8/4K3 b", "e3", -1},  // the neighbour is white's own pawn
    };
    for (const Case& c : cases) {
        const std::string placement = c.placementAndSide;
        const PositionKey without = keyOfFen(placement + " - - 0 1");
        const PositionKey with = keyOfFen(placement + " - " + c.target + " 0 1");
        const PositionKey expected = c.file < 0 ? 0 : Random64[772 + c.file];
        EXPECT_EQ(with ^ without, expected) << placement << " " << c.target;
    }
}

// Random games from a few starting points, including promotions, castling and en passant: at
// every ply the engine's key equals the key computed the long way.
TEST(PositionKey, AgreesWithTheLongWayAlongRandomGames) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    };
    std::mt19937 random(20240611);
    for (const char* start : starts) {
        setStartPosition();
        ASSERT_EQ(readFen(start), 1) << start;
        for (int ply = 0; ply < 80; ++ply) {
            ASSERT_EQ(computePositionKey(), referenceKey(*currentPosition)) << start << " ply " << ply;
            const std::vector<std::string> moves = legalMoveTexts();
            if (moves.empty()) break;
            ASSERT_EQ(parseMove(moves[random() % moves.size()].c_str()), 1);
        }
    }
}
