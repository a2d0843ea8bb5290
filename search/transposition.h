// The transposition table: one flat array of search results, one entry per slot, the slot
// chosen by the low bits of the position key, and every store replacing what was there.
// Its size is set at run time (a power-of-two number of entries); emptying it between searches
// costs nothing at any size, since each entry carries the number of the search that wrote it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/move.h"
#include "book/position_key.h"

struct HashEntry {
    std::uint64_t key;          // whole key of the position stored, to tell slot sharers apart
    std::uint8_t depth;         // remaining depth of the search that produced the entry
    std::uint8_t flag;          // HASH_EXACT, HASH_UPPER or HASH_LOWER
    std::uint16_t generation;   // the search that wrote it; any other sees an empty slot
    std::int32_t score;         // as the node returned it, side to move's view
    Move move;                  // move that produced the score, 0 possible
};
static_assert(sizeof(HashEntry) == 24);

inline constexpr int HASH_EXACT = 0;  // score is the node's value
inline constexpr int HASH_UPPER = 1;  // the node's value is at most score
inline constexpr int HASH_LOWER = 2;  // the node's value is at least score

// Probe answers other than a score; both lie above any score the search produces.
inline constexpr int HASH_MISS = 99999;       // the slot holds another position or nothing
inline constexpr int HASH_MOVE_ONLY = 99998;  // this position, but only its move is of use

// Table sizes in megabytes (2^20 bytes). The default holds 2^20 entries.
inline constexpr int DEFAULT_HASH_MB = 24;
inline constexpr int MIN_HASH_MB = 1;
inline constexpr int MAX_HASH_MB = 1024;

// Beside each entry a one-byte tag: the top byte of its key mixed with the number of the search
// that wrote it (0 for a slot never written). The search reads the tags first; they fit the
// caches far better than the entries, and most probes are ruled out by the tag alone. A tag
// only filters: one that lets a probe through by chance (an entry of an older search among
// them) leaves the answer to the entry, whose own search number and key decide.
using HashTag = std::uint8_t;

struct TranspositionTable {
    HashEntry* entries;
    std::uint64_t slotMask;      // entries - 1
    std::uint16_t generation;    // of the current search; never 0, the mark of a zeroed entry
    HashTag* tags;               // one per entry
};
extern TranspositionTable hashTable;

// The number of entries a table of `megabytes` holds: the largest power of two that fits.
std::size_t hashEntriesFor(int megabytes);

// Replaces the table with an empty one of `megabytes` (MIN_HASH_MB..MAX_HASH_MB), every page
// of it written once, so the memory is the process's from now on. Returns 1, or 0 when the
// size is out of range or the memory cannot be had (the old table then stays).
int resizeHash(int megabytes);

// The number of entries and the table's size in megabytes, rounded down.
inline std::size_t hashEntryCount() { return static_cast<std::size_t>(hashTable.slotMask) + 1; }
inline std::size_t hashTableBytes() { return hashEntryCount() * sizeof(HashEntry); }

// Empties the table: from now on every slot reads as zeroed. Nothing is written but the
// search's number, except once in 65535 clears, when the numbers start again.
void clearHash();

// The slot as a probe sees it: its entry when written since the last clear, else all zero.
inline HashEntry hashSlot(std::size_t slot) {
    const HashEntry& entry = hashTable.entries[slot];
    return entry.generation == hashTable.generation ? entry : HashEntry{};
}

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
inline int probeHashAt(PositionKey key, HashEntry& out, int depth, int alpha, int beta) {
    out = hashSlot(key & hashTable.slotMask);
    return probeAnswer(out, key, depth, alpha, beta);
}

// The tag an entry for `key` carries when the current search writes it. Consecutive searches
// mix in different bytes, so an entry left by the last one for the same position is not let
// through.
inline HashTag hashTag(PositionKey key) {
    return static_cast<HashTag>((key >> 56) ^ hashTable.generation);
}

// probeHashAt for the search, which reads the copy only when the answer is HASH_MOVE_ONLY:
// when the slot's tag differs from the one `key` would have, the slot holds another position
// or one not written in this search, so the answer is HASH_MISS without reading the entry (and
// `out` is left as it was). Key 0 reads an empty slot as its own, so it always reads the entry.
inline int probeHashForSearch(PositionKey key, HashEntry& out, int depth, int alpha, int beta) {
    if (hashTable.tags[key & hashTable.slotMask] != hashTag(key) && key != 0) return HASH_MISS;
    return probeHashAt(key, out, depth, alpha, beta);
}

inline void storeHashAt(PositionKey key, int depth, int score, int flag, Move move) {
    hashTable.tags[key & hashTable.slotMask] = hashTag(key);
    // Search depths stay far below 256, so the byte holds them exactly.
    hashTable.entries[key & hashTable.slotMask] = HashEntry{
        .key = key,
        .depth = static_cast<std::uint8_t>(depth),
        .flag = static_cast<std::uint8_t>(flag),
        .generation = hashTable.generation,
        .score = score,
        .move = move,
    };
}

// Starts loading the slot of `key` into the cache: a probe soon after finds it there instead
// of waiting for memory. A quarter of the entries cross into a second cache line.
inline void prefetchHash(PositionKey key) {
    const char* const entry = reinterpret_cast<const char*>(&hashTable.entries[key & hashTable.slotMask]);
    __builtin_prefetch(&hashTable.tags[key & hashTable.slotMask]);
    __builtin_prefetch(entry);
    __builtin_prefetch(entry + sizeof(HashEntry) - 1);
}
