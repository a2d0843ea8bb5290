// The 64-bit Zobrist key of the Polyglot book format. It indexes the opening book and the
// transposition table alike, so it must match the published format bit for bit.
#pragma once

#include <cstdint>

using PositionKey = std::uint64_t;

// Key of the current position, computed from scratch. Reads the record without changing it.
PositionKey computePositionKey();
