// Quiet-move ordering: killer moves per remaining depth and history counters per from/to pair.
// Both work in place on the caller's MoveList, whose consumers take moves from the end.
#pragma once

#include <cstdint>

#include "board/move.h"

// One row per remaining depth 0..32: a root search of the deepest allowed depth (32) needs
// row 32 as well.
inline constexpr int KILLER_ROWS = 33;

// [depth][0] is killer 1, [depth][1] killer 2; 0 means empty.
extern Move killerTable[KILLER_ROWS][2];

// Cut-off counts by from and to square, the squares as seen by the side that moved, so a
// move and its mirror image for the other colour share a counter.
extern std::int32_t historyTable[64][64];

void clearKillers();
void clearHistory();

// Makes `move` killer 1 of the row, the old killer 1 becoming killer 2, unless it already is
// killer 1. Depths without a row are ignored.
void updateKillers(int depth, Move move);

// Swaps the first entry equal to either killer of the row with the last entry. Returns 1 when
// one was found, 0 (list untouched) otherwise.
int killerToEnd(int depth, MoveList& list);

// Walks the list once with a rising threshold (starting at 1): every entry whose counter beats
// it is swapped to the end and its counter becomes the threshold. Returns 1 when an entry was
// swapped, 0 when the list was left as it was.
int historyToEnd(MoveList& list);

// The history counter of a move, as one index into the flat table (from * 64 + to).
constexpr int historyIndex(Move move) { return (moveFrom(move) << 6) | moveTo(move); }
inline std::int32_t& historyCounter(int index) { return historyTable[index >> 6][index & 63]; }

// The rule of killerToEnd with the row's two killers given, over `count` entries whose moves
// `moveAt`(i) gives and which `exchange`(i, j) swaps, for lists that keep more beside each move.
template <typename MoveAt, typename Exchange>
inline int killerToEnd(int count, Move first, Move second, MoveAt&& moveAt, Exchange&& exchange) {
    const int last = count - 1;
    for (int i = 0; i <= last; ++i) {
        const Move m = moveAt(i);
        if (m == first || m == second) {
            exchange(i, last);
            return 1;
        }
    }
    return 0;
}

// The rule of historyToEnd over `count` entries whose counters `counterAt`(i) gives and which
// `exchange`(i, j) swaps, for lists that keep more beside each move.
template <typename CounterAt, typename Exchange>
inline int historyToEnd(int count, CounterAt&& counterAt, Exchange&& exchange) {
    const int last = count - 1;
    std::int32_t threshold = 1;
    int moved = 0;
    for (int i = 0; i <= last; ++i) {
        const std::int32_t h = counterAt(i);
        if (h > threshold) {
            exchange(i, last);
            threshold = h;
            moved = 1;
        }
    }
    return moved;
}
