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

// One move of the last ply, made into the record above `before` and tested: 1 when legal.
[[gnu::always_inline]] inline int legalLeaf(const Position& before, Position& after, Move move,
                                            const LegalityShortcut& shortcut) {
    detail::makeMoveOnto(before, after, move);
    return !shortcut.needsTest(move) || !opponentKingAttacked(after);
}

// The last ply, in the same order: every move is made and tested like any other, and the
// legal ones counted. The moves all start from one record, so the loop keeps the node count and
// the stack pointer to itself until it is done.
std::uint64_t countLegalMoves() {
    const LegalityShortcut shortcut = LegalityShortcut::forCurrentPosition();
    const Position& before = *currentPosition;
    Position& after = *(currentPosition + 1);
    std::uint64_t count = 0;
    ScoredMoveList captures;
    generateCaptures(captures);
    const int made = captures.count;
    for (; captures.count > 0; --captures.count) count += legalLeaf(before, after, pickBestMove(captures), shortcut);
    MoveList quiets;
    generateQuiets(quiets);
    // The quiet moves come in runs of one kind (castling, king, queens, ..., pawns), so each run
    // is made with one decision on the kind instead of one per move.
    for (int i = quiets.count - 1; i >= 0;) {
        const std::uint32_t kind = moveKind(quiets.moves[i]);
        detail::dispatchKind(
            kind,
            [&](auto constant) __attribute__((always_inline)) {
                constexpr std::uint32_t runKind = decltype(constant)::value;
                do {
                    const Move move = quiets.moves[i];
                    detail::makeKindOnto<runKind>(before, after, move);
                    // King moves and castling always take the test (the king's square is in
                    // mustTest); other quiet moves when they leave a square in it.
                    const bool test = (runKind & 7) == KING || ((shortcut.mustTest >> moveFrom(move)) & 1);
                    count += !test || !opponentKingAttacked(after);
                } while (--i >= 0 && moveKind(quiets.moves[i]) == kind);
            },
            [&] { count += legalLeaf(before, after, quiets.moves[i--], shortcut); });
    }
    nodeCount += static_cast<std::uint32_t>(made + quiets.count);
    return count;
}

}  // namespace

std::uint64_t perft(int depth) {
    if (depth <= 0) return 1;
    if (depth == 1) return countLegalMoves();
    std::uint64_t total = 0;
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
