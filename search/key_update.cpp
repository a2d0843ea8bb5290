#include "search/key_update.h"

#include <bit>
#include <cstdint>

#include "board/castling.h"

namespace {

// The numbers the key is made of, by what they stand for. They are read back from
// computePositionKey itself, so the two can never disagree.
struct KeyNumbers {
    std::uint64_t piece[2][7][64];  // [white][type][real square]
    std::uint64_t castle[256];      // by castleFlags in real orientation (white in the low nibble)
    std::uint64_t enPassant[8];
    std::uint64_t turn;             // the difference between the two sides to move
};

// Keys of an empty board, white to move, with one feature added: each number is the key with
// the feature XOR the key without it.
KeyNumbers readKeyNumbers() {
    KeyNumbers numbers{};
    Position* const saved = currentPosition;
    Position scratch{};
    currentPosition = &scratch;
    auto keyOf = [&scratch](const Position& p) {
        scratch = p;
        return computePositionKey();
    };
    Position empty{};
    empty.enPassant = NO_EN_PASSANT;
    const PositionKey emptyKey = keyOf(empty);

    for (int white = 0; white < 2; ++white)
        for (int type = PAWN; type <= KING; ++type)
            for (int square = 0; square < 64; ++square) {
                Position p = empty;
                const Bitboard bit = squareBit(square);
                p.ownPieces = white ? bit : 0;  // white is to move, so white's pieces are its own
                p.typePlane0 = (type & 1) ? bit : 0;
                p.typePlane1 = (type & 2) ? bit : 0;
                p.typePlane2 = (type & 4) ? bit : 0;
                numbers.piece[white][type][square] = keyOf(p) ^ emptyKey;
            }
    for (int flags = 0; flags < 256; ++flags) {
        Position p = empty;
        p.castleFlags = static_cast<std::uint8_t>(flags);
        numbers.castle[flags] = keyOf(p) ^ emptyKey;
    }
    for (int file = 0; file < 8; ++file) {
        // A white pawn beside the black pawn that has just advanced makes the file count.
        Position p = empty;
        p.ownPieces = p.typePlane0 = squareBit(32 + (file == 0 ? 1 : file - 1));
        const PositionKey without = keyOf(p);
        p.enPassant = static_cast<std::uint8_t>(file);
        numbers.enPassant[file] = keyOf(p) ^ without;
    }
    Position blackToMove = empty;
    blackToMove.sideToMove = 1;
    numbers.turn = keyOf(blackToMove) ^ emptyKey;

    currentPosition = saved;
    return numbers;
}

const KeyNumbers numbers = readKeyNumbers();

// Whether the en-passant file of `p` enters its key: a pawn of the side to move stands beside
// the pawn that has just advanced two squares (record square 32 + file).
inline bool enPassantCounts(const Position& p) {
    if (p.enPassant >= 8) return false;
    const Bitboard pawn = squareBit(32 + p.enPassant);
    const Bitboard beside = ((pawn << 1) & ~FILE_A) | ((pawn >> 1) & ~FILE_H);
    return (beside & pawnsOf(p) & p.ownPieces) != 0;
}

// Castling rights lost by the move, as makeMove takes them (record orientation, before the turn).
inline unsigned rightsAfter(const Position& before, std::uint32_t kind, int from, int to) {
    const std::uint8_t* rightsAt = castling.side[before.sideToMove].rightsAt;
    unsigned flags = before.castleFlags;
    const std::uint32_t type = kind & 7;
    if (type == KING) flags &= 0xFCu;  // king steps, king captures and both castlings
    if (type == ROOK) flags &= ~unsigned{rightsAt[from]};
    if (kind & 8) flags &= ~unsigned{rightsAt[to]};
    return flags;
}

inline unsigned realRights(unsigned flags, bool white) {
    return white ? flags : std::rotl(static_cast<std::uint8_t>(flags), 4);
}

}  // namespace

KeyContext keyContext(PositionKey key, const Position& before) {
    key ^= numbers.turn;
    if (enPassantCounts(before)) key ^= numbers.enPassant[before.enPassant];
    const bool white = before.sideToMove == 0;
    return {&before, key, numbers.piece[white ? 1 : 0], numbers.piece[white ? 0 : 1], white ? 0 : 56};
}

namespace {

// The rarer kinds: double steps, promotions, en passant and castling.
[[gnu::noinline]] PositionKey keyAfterSpecialMove(const KeyContext& c, Move move, PositionKey key) {
    const Position& before = *c.before;
    const std::uint32_t kind = moveKind(move);
    const int from = moveFrom(move), to = moveTo(move);
    const int realFrom = from ^ c.mirror, realTo = to ^ c.mirror;
    switch (kind) {
        case PAWN_PUSH: {  // a double step: the new file counts when an opponent pawn stands beside
            key ^= c.mine[PAWN][realFrom] ^ c.mine[PAWN][realTo];
            const Bitboard pawn = squareBit(to);
            const Bitboard beside = ((pawn << 1) & ~FILE_A) | ((pawn >> 1) & ~FILE_H);
            if (beside & pawnsOf(before) & opponentPieces(before)) key ^= numbers.enPassant[to & 7];
            return key;
        }
        case PROMOTION_CAPTURE:
            key ^= c.theirs[pieceTypeAt(before, to)][realTo];
            [[fallthrough]];
        case PROMOTION:
            key ^= c.mine[PAWN][realFrom] ^ c.mine[movePromotion(move) & 7][realTo];
            break;
        case EN_PASSANT:
            return key ^ c.mine[PAWN][realFrom] ^ c.mine[PAWN][realTo] ^ c.theirs[PAWN][(to - 8) ^ c.mirror];
        default: {  // castling; in Chess960 king or rook may stay put, and its two numbers cancel
            const int right = kind == CASTLE_SHORT ? SHORT_CASTLING : LONG_CASTLING;
            const int rookFrom = castling.side[before.sideToMove].rookFrom[right];
            const int rookTo = right == SHORT_CASTLING ? 5 : 3;
            key ^= c.mine[KING][realFrom] ^ c.mine[KING][realTo] ^ c.mine[ROOK][rookFrom ^ c.mirror] ^
                   c.mine[ROOK][rookTo ^ c.mirror];
            break;
        }
    }
    const unsigned rights = rightsAfter(before, kind, from, to);
    if (rights != before.castleFlags) {
        const bool white = c.mirror == 0;
        key ^= numbers.castle[realRights(before.castleFlags, white)] ^ numbers.castle[realRights(rights, white)];
    }
    return key;
}

}  // namespace

PositionKey keyAfterMove(const KeyContext& c, Move move) {
    const std::uint32_t kind = moveKind(move);
    const int from = moveFrom(move), to = moveTo(move);
    PositionKey key = c.base;
    const bool special = kind >= PROMOTION || (kind == PAWN_PUSH && to - from == 16);
    if (special) [[unlikely]]
        return keyAfterSpecialMove(c, move, key);

    // A piece moves, and on a capture the opponent's piece on `to` goes.
    const Position& before = *c.before;
    const int type = static_cast<int>(kind & 7);
    const int realFrom = from ^ c.mirror, realTo = to ^ c.mirror;
    key ^= c.mine[type][realFrom] ^ c.mine[type][realTo];
    if (kind & 8) key ^= c.theirs[pieceTypeAt(before, to)][realTo];
    const unsigned rights = rightsAfter(before, kind, from, to);
    if (rights != before.castleFlags) [[unlikely]] {
        const bool white = c.mirror == 0;
        key ^= numbers.castle[realRights(before.castleFlags, white)] ^ numbers.castle[realRights(rights, white)];
    }
    return key;
}
