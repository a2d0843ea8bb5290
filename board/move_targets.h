// The destination sets of one piece of the side to move, one per move kind: what the move
// readers (coordinate text, SAN) and the legal-move list of the board core are built from.
#pragma once

#include <cstdint>

#include "board/bitboard.h"
#include "board/position.h"

struct MoveTargets {
    Bitboard targets;  // destination squares, in the record's orientation
    std::uint32_t kind;
};

inline constexpr int MAX_TARGET_ENTRIES = 5;

// Fills `table` for the piece of `type` on `from`, in the order the kinds are tried, and returns
// the number of entries filled. `promoting` gives a pawn's moves the promotion kinds. Castling
// entries are filled only when the castling is allowed (rights, empty squares, no attacked
// square on the king's way), with the king's destination as their target.
int fillTargets(const Position& p, int type, int from, bool promoting, MoveTargets (&table)[MAX_TARGET_ENTRIES]);
