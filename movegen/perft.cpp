#include "movegen/perft.h"

#include <cstdio>
#include <ctime>
#include <limits>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"

namespace {

// Makes `move`, and when it is legal hands it to `visit` before taking it back.
template <typename Visit>
[[gnu::always_inline]] inline void tryMove(Move move, const LegalityShortcut& shortcut, Visit&& visit) {
    makeMove(move);
    if (!shortcut.needsTest(move) || !opponentKingAttacked(*currentPosition)) visit(move);
    takeBack();
}

// Visits every legal move in perft's order: captures best-first, then quiet moves from the
// last generated to the first.
template <typename Visit>
inline void forEachLegalMove(Visit&& visit) {
    const LegalityShortcut shortcut = LegalityShortcut::forCurrentPosition();
    ScoredMoveList captures;
    generateCaptures(captures);
    for (; captures.count > 0; --captures.count) tryMove(pickBestMove(captures), shortcut, visit);
    MoveList quiets;
    generateQuiets(quiets);
    for (int i = quiets.count - 1; i >= 0; --i) tryMove(quiets.moves[i], shortcut, visit);
}

}  // namespace

std::uint64_t perft(int depth) {
    if (depth <= 0) return 1;
    std::uint64_t total = 0;
    if (depth == 1)
        forEachLegalMove([&](Move) { ++total; });
    else
        forEachLegalMove([&](Move) { total += perft(depth - 1); });
    return total;
}

void perftDivide(int depth, PerftDivision& division) {
    division.count = 0;
    forEachLegalMove([&](Move move) {
        division.moves[division.count] = move;
        division.leaves[division.count] = perft(depth - 1);
        ++division.count;
    });
}

void runTestSuite() {
    std::printf("Running benchmark. . .\n");
    std::fflush(stdout);
    const std::clock_t start = std::clock();
    std::uint64_t total = 0;
    for (const PerftRecord& record : PERFT_SUITE) {
        std::printf(".");
        std::fflush(stdout);
        setStartPosition();
        readFen(record.fen);
        const std::uint64_t leaves = perft(record.depth);
        total += leaves;
        std::printf("Expected   value: %llu\n", static_cast<unsigned long long>(record.expected));
        std::printf("Calculated value: %llu\n\n", static_cast<unsigned long long>(leaves));
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    // A run too short for the clock to tick has no rate; a huge rate is capped, not wrapped.
    const double rate = seconds > 0 ? static_cast<double>(total) / seconds : 0.0;
    const int nodesPerSecond = rate >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                       : static_cast<int>(rate);
    std::printf("\n");
    std::printf("Total nodes: %lld \n", static_cast<long long>(total));
    std::printf("Raw nodes per second: %d\n", nodesPerSecond);
    std::printf("Total elapsed time: %.2f\n", seconds);
}
