// Nanoseconds per call of evaluate and computePositionKey over a few typical positions.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "board/fen.h"
#include "board/position.h"
#include "book/position_key.h"
#include "search/evaluate.h"

namespace {

constexpr const char* POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 b - - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
};
constexpr int COUNT = sizeof POSITIONS / sizeof POSITIONS[0];
constexpr int ROUNDS = 2'000'000;

template <typename F>
double nanosecondsPerCall(F call) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < ROUNDS; ++round) {
        currentPosition = positionStack + round % COUNT;
        call();
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / ROUNDS;
}

}  // namespace

int main() {
    for (int i = 0; i < COUNT; ++i) {
        currentPosition = positionStack + i;
        if (readFen(POSITIONS[i]) != 1) {
            std::fprintf(stderr, "bad FEN: %s\n", POSITIONS[i]);
            return 1;
        }
    }
    volatile std::uint64_t sink = 0;
    const double key = nanosecondsPerCall([&] { sink = sink + computePositionKey(); });
    const double eval = nanosecondsPerCall([&] { sink = sink + static_cast<std::uint64_t>(evaluate()); });
    std::printf("computePositionKey: %.1f ns/call\nevaluate:           %.1f ns/call\n", key, eval);
    return 0;
}
