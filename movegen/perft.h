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
