// Leaf counts of the legal move tree, and the six-position self-test and benchmark.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "movegen/movegen.h"

struct PerftRecord {
    char fen[200];
    std::int32_t depth;
    std::uint64_t expected;
};

inline constexpr PerftRecord PERFT_SUITE[6] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5, 193690690},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 7, 178633661},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 6, 706045033},
    {"rnbqkb1r/pp1p1ppp/2p5/4P3/2B5/8/PPP1NnPP/RNBQK2R w KQkq - 0 6", 3, 53392},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 5, 164075551},
};

// Chess960 start arrays and games, read with the chess960 switch on, in both castling forms
// (X-FEN's KQkq and inner-rook letters, Shredder-FEN's rook files), each with the castling
// shape it is there for.
inline constexpr PerftRecord CHESS960_PERFT_SUITE[13] = {
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1", 5, 4975808},  // start array 0
    {"rkrnnqbb/pppppppp/8/8/8/8/PPPPPPPP/RKRNNQBB w CAca - 0 1", 5, 4973573},  // 959: king on b1
    {"qrkbbnnr/pppppppp/8/8/8/8/PPPPPPPP/QRKBBNNR w HBhb - 0 1", 5, 4813039},
    // The king already on g8, so only the rook moves; long, it lands on the rook's square.
    {"2r3kr/p6p/8/8/8/8/P6P/2R3KR b KQkq - 0 1", 5, 2638182},
    // The short rook on g1, where the king lands.
    {"r3k1r1/pp4pp/8/8/8/8/PP4PP/R3K1R1 w GAga - 0 1", 5, 3436415},
    // Kings on f1 and d8, where their rooks land.
    {"r2k3r/pppppppp/8/8/8/8/PPPPPPPP/R4K1R b HAha - 0 1", 5, 8810962},
    // KQ and q name the outer of two rooks, f the inner one, already on its destination.
    {"1r1k1r1r/8/8/8/8/8/8/R1RK3R b KQfb - 0 1", 4, 733133},
    {"1r1k1r1r/8/8/8/8/8/8/R1RK3R w KQkq - 0 1", 5, 22650564},
    // A second rook on the king's way blocks it.
    {"1k6/8/8/8/8/8/8/1K1R3R w H - 0 1", 6, 2136407},
    // f1g1 is a king step and the king's part of castling.
    {"4k3/8/8/8/8/8/8/5K1R w K - 0 1", 6, 715779},
    // The castling rook shields c1 from the rook on a1: no long castling.
    {"4k3/8/8/8/8/8/8/rR2K1N1 w Q - 0 1", 6, 10420513},
    {"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", 5, 8146062},
    {"2nnrbkr/p1qppppp/8/1ppb4/6PP/3PP3/PPP2P2/BQNNRBKR w HEhe - 1 9", 5, 16253601},
};

// Number of legal move sequences of length `depth` from the current position; a node without
// a legal move counts 0. Every move, the last ply's included, is made and tested.
std::uint64_t perft(int depth);

// The legal root moves and the leaf count below each, in the order perft visits them.
struct PerftDivision {
    int count;
    Move moves[MAX_MOVES];
    std::uint64_t leaves[MAX_MOVES];
};
void perftDivide(int depth, PerftDivision& division);

// Runs perft on the six stored positions and prints expected and computed counts, the total,
// the node rate and the elapsed processor time. Leaves the sixth position alone on the stack.
void runTestSuite();
