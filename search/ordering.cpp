#include "search/ordering.h"

#include <cstring>
#include <utility>

Move killerTable[KILLER_ROWS][2];
std::int32_t historyTable[64][64];

namespace {
// Rejects depths outside the table with one unsigned comparison.
constexpr bool hasKillerRow(int depth) { return static_cast<unsigned>(depth) < KILLER_ROWS; }
}  // namespace

void clearKillers() { std::memset(killerTable, 0, sizeof killerTable); }

void clearHistory() { std::memset(historyTable, 0, sizeof historyTable); }

void updateKillers(int depth, Move move) {
    if (!hasKillerRow(depth)) return;
    Move* row = killerTable[depth];
    if (row[0] == move) return;
    row[1] = row[0];
    row[0] = move;
}

int killerToEnd(int depth, MoveList& list) {
    if (!hasKillerRow(depth)) return 0;
    const Move first = killerTable[depth][0], second = killerTable[depth][1];
    const int last = list.count - 1;
    for (int i = 0; i <= last; ++i) {
        const Move m = list.moves[i];
        if (m == first || m == second) {
            std::swap(list.moves[i], list.moves[last]);
            return 1;
        }
    }
    return 0;
}

int historyToEnd(MoveList& list) {
    return historyToEnd(
        list.count, [&list](int i) { return historyCounter(historyIndex(list.moves[i])); },
        [&list](int i, int j) { std::swap(list.moves[i], list.moves[j]); });
}
