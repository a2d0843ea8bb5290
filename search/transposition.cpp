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
    out = TranspositionTable[key & HASH_SLOT_MASK];
    return probeAnswer(out, key, depth, alpha, beta);
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
