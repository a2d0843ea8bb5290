// The position key of the position a move leads to, worked out from the key of the position
// the move is played in: the search needs every node's key and would otherwise recompute it
// from the whole board.
#pragma once

#include "board/move.h"
#include "board/position.h"
#include "book/position_key.h"

// `key` is the key of `before`, the position `move` is played in (not yet made). Returns what
// computePositionKey() gives after makeMove(move), for every move the generators produce.
PositionKey keyAfterMove(PositionKey key, const Position& before, Move move);
