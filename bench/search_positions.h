// The search benchmark's positions and depths. The signature test of the search replays the
// same positions at smaller depths, so both stay in step.
#pragma once

struct SearchBenchPosition {
    const char* name;
    const char* fen;
    int depth;  // the benchmark's fixed depth
};

inline constexpr SearchBenchPosition SEARCH_BENCH_POSITIONS[] = {
    // Openings
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 10},
    {"sicilian", "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2", 9},
    {"petrov", "rnbqkb1r/pppp1ppp/5n2/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 9},
    {"queens gambit", "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4", 9},
    {"french, black", "rnbqkbnr/ppp2ppp/4p3/3pP3/3P4/8/PPP2PPP/RNBQKBNR b KQkq - 0 3", 9},
    // Middlegames
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 8},
    {"italian", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 9},
    {"promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 9},
    {"fork on f2", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 9},
    {"queens side", "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 w - - 0 11", 8},
    {"opposite castling", "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPPQ2PP/2KR3R b - - 0 13", 9},
    // Tactics
    {"queen sacrifice", "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1", 6},
    {"rook takes b2", "8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1", 11},
    {"rook lift", "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - 0 1", 9},
    {"queen takes h7", "r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - 0 1", 6},
    {"mate in two", "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 6},
    // Endgames
    {"rook and pawns", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 12},
    {"blocked pawns", "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1", 20},
    {"rook mate", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 12},
    {"rook ending", "8/5pk1/6p1/8/3R4/1r4P1/5PK1/8 w - - 0 1", 11},
    {"king and pawn", "8/8/8/8/4k3/8/4P3/4K3 w - - 0 1", 20},
    {"queen against rook", "8/8/3k4/8/8/3K4/3Q4/7r w - - 0 1", 10},
};

// A position's depth changed by `change`; lowered depths stop at 4, so the mates in two are
// still found.
constexpr int searchBenchDepth(const SearchBenchPosition& position, int change) {
    const int depth = position.depth + change;
    return change < 0 && depth < 4 ? 4 : depth;
}
