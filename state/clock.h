// The millisecond clock every search and status line measures against.
#pragma once

#include <cstdint>

// Milliseconds, wrapping modulo 2^32; elapsed times are differences taken as signed values.
// A monotonic clock, so that a wall-clock adjustment never stops or stretches a search.
std::uint32_t clockMs();

// Milliseconds since `start`, a reading of clockMs.
inline std::int32_t elapsedMs(std::uint32_t start) { return static_cast<std::int32_t>(clockMs() - start); }
