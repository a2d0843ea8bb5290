// The position key of the position a move leads to, worked out from the key of the position
// the move is played in: the search needs every node's key and would otherwise recompute it
// from the whole board.
#pragma once

#include "board/move.h"
#include "board/position.h"
#include "book/position_key.h"

#include <cstdint>

// What the keys of a position's children share, worked out once per position.
struct KeyContext {
    const Position* before;                  // the position the moves are played in
    PositionKey base;                        // its key with the turn changed and its en-passant term removed
    const std::uint64_t (*mine)[64];         // the side to move's piece numbers by type and real square
    const std::uint64_t (*theirs)[64];       // the opponent's
    int mirror;                              // record square XOR mirror = real square
};

// `key` is the key of `before`, the position the moves are played in.
KeyContext keyContext(PositionKey key, const Position& before);

// What computePositionKey() gives after makeMove(move) in the context's position, for every
// move the generators produce.
PositionKey keyAfterMove(const KeyContext& context, Move move);

// The same for a single move.
inline PositionKey keyAfterMove(PositionKey key, const Position& before, Move move) {
    return keyAfterMove(keyContext(key, before), move);
}
