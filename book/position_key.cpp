#include "book/position_key.h"

#include <array>

#include "board/bitboard.h"
#include "board/position.h"
#include "book/polyglot_random.h"

namespace {

// Castling terms for every castleFlags byte in real orientation (white's rights in the low
// nibble): one lookup instead of four tests.
constexpr std::array<std::uint64_t, 256> makeCastleKeys() {
    std::array<std::uint64_t, 256> keys{};
    // Flag bits in the order of the four castling numbers: white short, white long, black
    // short, black long.
    constexpr int BITS[4] = {1, 0, 5, 4};
    for (int flags = 0; flags < 256; ++flags)
        for (int i = 0; i < 4; ++i)
            if (flags & (1 << BITS[i])) keys[flags] ^= Random64[RANDOM64_CASTLE + i];
    return keys;
}
constexpr std::array<std::uint64_t, 256> castleKeys = makeCastleKeys();

// Squares beside the just-advanced pawn (record square 32 + file) from which an own pawn could
// take en passant.
constexpr std::array<Bitboard, 8> makeEnPassantNeighbours() {
    std::array<Bitboard, 8> sets{};
    for (int file = 0; file < 8; ++file) {
        const Bitboard pawn = squareBit(32 + file);
        sets[file] = ((pawn << 1) & ~FILE_A) | ((pawn >> 1) & ~FILE_H);
    }
    return sets;
}
constexpr std::array<Bitboard, 8> enPassantNeighbours = makeEnPassantNeighbours();

// XORs in the numbers of one piece kind; `numbers` is the kind's block of 64, `mirror` turns
// record squares into real ones.
inline PositionKey pieceTerms(const std::uint64_t* numbers, Bitboard pieces, int mirror) {
    PositionKey key = 0;
    for (; pieces; pieces = withoutLowest(pieces)) key ^= numbers[lowestSquare(pieces) ^ mirror];
    return key;
}

}  // namespace

// The record is read in place rather than turned over: with black to move, record square s is
// real square s ^ 56 and the own pieces are black. XOR does not care about order, so this
// gives the same key as the turned-over record. One loop per piece kind beats a single loop
// that decodes each square's type.
PositionKey computePositionKey() {
    const Position& p = *currentPosition;
    const std::uint32_t black = p.sideToMove & 1;
    const int mirror = black ? 56 : 0;
    const Bitboard own = p.ownPieces, theirs = occupiedSquares(p) ^ own;
    const Bitboard whites = black ? theirs : own, blacks = black ? own : theirs;
    const Bitboard byType[6] = {pawnsOf(p), knightsOf(p), bishopsOf(p), rooksOf(p), queensOf(p), kingsOf(p)};

    // Piece kind k = 2 x (type - 1) + colour, colour 1 for white: each type owns 128 numbers,
    // black's 64 first.
    PositionKey key = 0;
    for (int t = 0; t < 6; ++t) {
        const std::uint64_t* numbers = Random64.data() + 128 * t;
        key ^= pieceTerms(numbers, byType[t] & blacks, mirror);
        key ^= pieceTerms(numbers + 64, byType[t] & whites, mirror);
    }

    const std::uint8_t flags = p.castleFlags;
    const std::uint8_t realFlags = black ? static_cast<std::uint8_t>((flags >> 4) | (flags << 4)) : flags;
    key ^= castleKeys[realFlags];

    // The file counts only when a pawn of the side to move stands beside the pawn that just
    // advanced two squares; whether the capture would be legal does not matter.
    const unsigned file = p.enPassant;
    if (file < 8 && (enPassantNeighbours[file] & own & byType[0])) key ^= Random64[RANDOM64_EN_PASSANT + file];

    key ^= Random64[RANDOM64_TURN] & (PositionKey{black} - 1);
    return key;
}
