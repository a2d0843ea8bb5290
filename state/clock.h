// The millisecond clock every search and status line measures against.
#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds, wrapping modulo 2^32; elapsed times are differences taken as signed values.
// A monotonic clock, so that a wall-clock adjustment never stops or stretches a search.
inline std::uint32_t clockMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// Milliseconds since `start`, a reading of clockMs.
inline std::int32_t elapsedMs(std::uint32_t start) { return static_cast<std::int32_t>(clockMs() - start); }
