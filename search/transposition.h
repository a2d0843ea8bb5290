// The transposition table: one flat array of search results, one entry per slot, the slot
// chosen by the low 20 bits of the position key, and every store replacing what was there.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "book/position_key.h"

struct HashEntry {
    std::uint64_t key;   // whole key of the position stored, to tell slot sharers apart
    std::uint8_t depth;  // remaining depth of the search that produced the entry
    std::uint8_t flag;   // HASH_EXACT, HASH_UPPER or HASH_LOWER
    std::int32_t score;  // as the node returned it, side to move's view
    Move move;           // move that produced the score, 0 possible
};
static_assert(sizeof(HashEntry) == 24);

inline constexpr int HASH_BITS = 20;
inline constexpr int HASH_ENTRIES = 1 << HASH_BITS;
inline constexpr std::uint64_t HASH_SLOT_MASK = HASH_ENTRIES - 1;

inline constexpr int HASH_EXACT = 0;  // score is the node's value
inline constexpr int HASH_UPPER = 1;  // the node's value is at most score
inline constexpr int HASH_LOWER = 2;  // the node's value is at least score

// Probe answers other than a score; both lie above any score the search produces.
inline constexpr int HASH_MISS = 99999;       // the slot holds another position or nothing
inline constexpr int HASH_MOVE_ONLY = 99998;  // this position, but only its move is of use

extern HashEntry TranspositionTable[HASH_ENTRIES];


// Zeroes every byte of the table.
void clearHash();

// Looks up the current position. Always copies the slot into `out`; returns a usable score
// (the exact score, alpha or beta), HASH_MOVE_ONLY or HASH_MISS.
int probeHash(HashEntry& out, int depth, int alpha, int beta);

// The probe's answer for a copy of the slot of `key`.
inline int probeAnswer(const HashEntry& entry, PositionKey key, int depth, int alpha, int beta) {
    if (entry.key != key) return HASH_MISS;
    if (entry.depth < depth) return HASH_MOVE_ONLY;
    switch (entry.flag) {
        case HASH_EXACT: return entry.score;
        case HASH_UPPER: return entry.score <= alpha ? alpha : HASH_MOVE_ONLY;
        case HASH_LOWER: return entry.score >= beta ? beta : HASH_MOVE_ONLY;
        default: return HASH_MOVE_ONLY;
    }
}

// Writes the current position's entry into its slot, whatever the slot held before.
void storeHash(int depth, int score, int flag, Move move);

// The same two operations for a key the caller already holds: a search node probes and stores
// one position, so it computes the key once. `key` must be the current position's key.
int probeHashAt(PositionKey key, HashEntry& out, int depth, int alpha, int beta);
void storeHashAt(PositionKey key, int depth, int score, int flag, Move move);

// Starts loading the slot of `key` into the cache: a probe soon after finds it there instead
// of waiting for memory.
inline void prefetchHash(PositionKey key) { __builtin_prefetch(&TranspositionTable[key & HASH_SLOT_MASK]); }
