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
    return killerToEnd(
        list.count, killerTable[depth][0], killerTable[depth][1], [&list](int i) { return list.moves[i]; },
        [&list](int i, int j) { std::swap(list.moves[i], list.moves[j]); });
}

int historyToEnd(MoveList& list) {
    return historyToEnd(
        list.count, [&list](int i) { return historyCounter(historyIndex(list.moves[i])); },
        [&list](int i, int j) { std::swap(list.moves[i], list.moves[j]); });
}
