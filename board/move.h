// The 32-bit move code and the two move-list shapes the generators fill.
#pragma once

#include <climits>
#include <cstdint>

using Move = std::uint32_t;

// A kind is the moving piece's type, +8 for a capture, +16 for a promotion or short castling,
// +32 for en passant or long castling.
enum MoveKind : std::uint32_t {
    PAWN_PUSH = 1,
    KNIGHT_MOVE = 2,
    BISHOP_MOVE = 3,
    ROOK_MOVE = 4,
    QUEEN_MOVE = 5,
    KING_MOVE = 6,
    PAWN_CAPTURE = 9,
    KNIGHT_CAPTURE = 10,
    BISHOP_CAPTURE = 11,
    ROOK_CAPTURE = 12,
    QUEEN_CAPTURE = 13,
    KING_CAPTURE = 14,
    PROMOTION = 17,
    CASTLE_SHORT = 22,
    PROMOTION_CAPTURE = 25,
    CASTLE_LONG = 38,
    EN_PASSANT = 41,
};

constexpr Move encodeMove(std::uint32_t kind, int from, int to, int promotion = 0) {
    return kind | (static_cast<std::uint32_t>(from) << 8) | (static_cast<std::uint32_t>(to) << 16) |
           (static_cast<std::uint32_t>(promotion) << 24);
}
constexpr std::uint32_t moveKind(Move m) { return m & 0xFF; }
constexpr int moveFrom(Move m) { return static_cast<int>((m >> 8) & 63); }
constexpr int moveTo(Move m) { return static_cast<int>((m >> 16) & 63); }
constexpr int movePromotion(Move m) { return static_cast<int>(m >> 24); }

// Capacities hold every pseudo-legal move of any position the FEN reader accepts (at most 16
// pieces a side): quiet moves at most 15 x 27 + 8 + 2, captures and promotions at most 16 x 12 + 2.
inline constexpr int MOVE_LIST_SIZE = 512;
inline constexpr int SCORED_LIST_SIZE = 256;

struct MoveList {
    std::int32_t count;
    Move moves[MOVE_LIST_SIZE];
};

struct ScoredMove {
    Move move;
    std::int32_t score;
};

struct ScoredMoveList {
    std::int32_t count;
    ScoredMove entries[SCORED_LIST_SIZE];
};

// Takes the highest-scored entry (earliest on ties) and fills its slot with the last entry;
// the caller shrinks `count` afterwards.
inline Move pickBestMove(ScoredMoveList& list) {
    // Two interleaved scans halve the dependency chain; written for conditional moves, since
    // which entry wins is unpredictable.
    int bestEven = 0, bestOdd = 0;
    std::int32_t scoreEven = list.entries[0].score, scoreOdd = INT32_MIN;
    int i = 1;
    for (; i + 1 < list.count; i += 2) {
        const std::int32_t odd = list.entries[i].score, even = list.entries[i + 1].score;
        const bool oddBetter = odd > scoreOdd, evenBetter = even > scoreEven;
        bestOdd = oddBetter ? i : bestOdd;
        scoreOdd = oddBetter ? odd : scoreOdd;
        bestEven = evenBetter ? i + 1 : bestEven;
        scoreEven = evenBetter ? even : scoreEven;
    }
    if (i < list.count && list.entries[i].score > scoreOdd) {
        bestOdd = i;
        scoreOdd = list.entries[i].score;
    }
    const bool oddWins = scoreOdd > scoreEven || (scoreOdd == scoreEven && bestOdd < bestEven && list.count > 1);
    const int best = oddWins ? bestOdd : bestEven;
    const Move move = list.entries[best].move;
    list.entries[best] = list.entries[list.count - 1];
    return move;
}
