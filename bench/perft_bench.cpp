// Times the six-position perft suite, or the Chess960 one, and prints its figures.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#include "board/castling.h"
#include "board/fen.h"
#include "movegen/perft.h"

// With arguments, runs only the suite rows named by their numbers (1..6). A first argument
// "960" takes the Chess960 suite instead (rows 1..13).
int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    std::span<const PerftRecord> suite = PERFT_SUITE;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "960") == 0) {
        suite = CHESS960_PERFT_SUITE;
        chess960 = true;
        first = 2;
    }
    std::uint64_t total = 0;
    bool allMatch = true;
    const auto start = Clock::now();
    for (int row = 1; row <= static_cast<int>(suite.size()); ++row) {
        bool wanted = argc == first;
        for (int a = first; a < argc; ++a) wanted = wanted || std::atoi(argv[a]) == row;
        if (!wanted) continue;
        const PerftRecord& record = suite[row - 1];
        setStartPosition();
        readFen(record.fen);
        const auto t0 = Clock::now();
        const std::uint64_t leaves = perft(record.depth);
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        total += leaves;
        allMatch = allMatch && leaves == record.expected;
        std::printf("depth %d  %11llu leaves  %7.3f s  %6.1f Mnps  %s\n", record.depth,
                    static_cast<unsigned long long>(leaves), seconds, leaves / seconds / 1e6,
                    leaves == record.expected ? "ok" : "WRONG");
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("total nodes %llu  seconds %.3f  nodes/s %.0f\n", static_cast<unsigned long long>(total), seconds,
                total / seconds);
    return allMatch ? 0 : 1;
}
