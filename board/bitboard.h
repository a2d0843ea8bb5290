// 64-bit square sets and the few bit tricks the whole engine leans on.
#pragma once

#include <bit>
#include <cstdint>

using Bitboard = std::uint64_t;

inline constexpr Bitboard FILE_A = 0x0101010101010101ULL;
inline constexpr Bitboard FILE_H = 0x8080808080808080ULL;
inline constexpr Bitboard RANK_1 = 0x00000000000000FFULL;
inline constexpr Bitboard RANK_2 = 0x000000000000FF00ULL;
inline constexpr Bitboard RANK_7 = 0x00FF000000000000ULL;
inline constexpr Bitboard RANK_8 = 0xFF00000000000000ULL;
inline constexpr Bitboard DIAGONAL = 0x8040201008040201ULL;       // a1..h8, stride 9
inline constexpr Bitboard ANTI_DIAGONAL = 0x8102040810204081ULL;  // 0, 7, 14, ..., 56, 63

constexpr Bitboard squareBit(int square) { return Bitboard{1} << square; }

// Callers guarantee a non-empty set: a scan of zero has no answer, and skipping the zero test
// lets the compiler emit a single bit-scan instruction.
constexpr int lowestSquare(Bitboard set) {
    if (set == 0) __builtin_unreachable();
    return std::countr_zero(set);
}
constexpr int highestSquare(Bitboard set) {
    if (set == 0) __builtin_unreachable();
    return 63 ^ std::countl_zero(set);
}

constexpr int popCount(Bitboard set) { return std::popcount(set); }

// Exchanges rank r with rank 7 - r; files stay.
constexpr Bitboard byteSwap(Bitboard set) { return __builtin_bswap64(set); }

// Walks a set from its lowest square upwards: for (Bitboard s = set; s; s &= s - 1) ...
constexpr Bitboard withoutLowest(Bitboard set) { return set & (set - 1); }
