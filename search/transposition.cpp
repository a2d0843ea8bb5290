#include "search/transposition.h"

#include <cstring>

#include "book/position_key.h"

HashEntry TranspositionTable[HASH_ENTRIES];

void clearHash() { std::memset(TranspositionTable, 0, sizeof TranspositionTable); }

int probeHash(HashEntry& out, int depth, int alpha, int beta) {
    return probeHashAt(computePositionKey(), out, depth, alpha, beta);
}

void storeHash(int depth, int score, int flag, Move move) { storeHashAt(computePositionKey(), depth, score, flag, move); }

int probeHashAt(PositionKey key, HashEntry& out, int depth, int alpha, int beta) {
    const HashEntry& entry = TranspositionTable[key & HASH_SLOT_MASK];
    out = entry;
    if (entry.key != key) return HASH_MISS;
    if (entry.depth < depth) return HASH_MOVE_ONLY;
    switch (entry.flag) {
        case HASH_EXACT: return entry.score;
        case HASH_UPPER: return entry.score <= alpha ? alpha : HASH_MOVE_ONLY;
        case HASH_LOWER: return entry.score >= beta ? beta : HASH_MOVE_ONLY;
        default: return HASH_MOVE_ONLY;
    }
}

void storeHashAt(PositionKey key, int depth, int score, int flag, Move move) {
    // Search depths stay far below 256, so the byte holds them exactly.
    TranspositionTable[key & HASH_SLOT_MASK] = HashEntry{
        .key = key,
        .depth = static_cast<std::uint8_t>(depth),
        .flag = static_cast<std::uint8_t>(flag),
        .score = score,
        .move = move,
    };
}
