// Copy-make: the current record is copied one slot up, changed for the move and turned over.
// Taking a move back is stepping currentPosition down one record.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

#include "board/castling.h"
#include "board/move.h"
#include "board/position.h"

// Counts every makeMove call, whatever the move; the search reports it.
inline std::uint32_t nodeCount = 0;

namespace detail {
constexpr Bitboard planeMask(int type, int plane) { return Bitboard{0} - ((static_cast<unsigned>(type) >> plane) & 1u); }

// The record being built, held in registers until it is written turned over.
struct Board {
    Bitboard own, plane0, plane1, plane2;

    // Toggles the moving piece's squares in ownPieces and in the planes of its type.
    void movePiece(int type, Bitboard fromTo) {
        own ^= fromTo;
        plane0 ^= fromTo & planeMask(type, 0);
        plane1 ^= fromTo & planeMask(type, 1);
        plane2 ^= fromTo & planeMask(type, 2);
    }
    void clearSquare(Bitboard target) {
        plane0 &= ~target;
        plane1 &= ~target;
        plane2 &= ~target;
    }
    // The king's two squares and the rook's two squares, each pair XORed. In Chess960 the
    // pairs may share a square (the king lands where the rook stood, or the other way round)
    // or be empty (a piece already on its destination); XOR gets every case right.
    void castle(Bitboard kingFromTo, Bitboard rookFromTo) {
        own ^= kingFromTo ^ rookFromTo;
        plane1 ^= kingFromTo;
        plane2 ^= kingFromTo ^ rookFromTo;
    }
    void placePiece(int type, Bitboard square) {
        plane0 |= square & planeMask(type, 0);
        plane1 |= square & planeMask(type, 1);
        plane2 |= square & planeMask(type, 2);
    }
};

// rule50 saturates instead of wrapping in a game played on past the fifty-move limit.
constexpr unsigned nextReversiblePly(unsigned rule50) { return rule50 + (rule50 != 255); }

// After a reversible move: find the latest earlier record with the same side to move, the
// same placement and the same rights inside the rule50 window. A rook or king move is
// reversible but may give up castling, and the pawn that just advanced two squares may be
// taken en passant: the placement alone would count a different position as a repetition.
// `reachable` is the number of records below `p`.
inline void scanRepetition(Position& p, int reachable) {
    const int window = p.rule50;
    if (window < 2) return;  // the same side to move was last on move two plies ago
    const Position* earlier = &p - 2;
    for (int distance = 2; distance <= window && distance <= reachable; distance += 2, earlier -= 2) {
        if (earlier->ownPieces == p.ownPieces && earlier->typePlane0 == p.typePlane0 &&
            earlier->typePlane1 == p.typePlane1 && earlier->typePlane2 == p.typePlane2 &&
            earlier->castleFlags == p.castleFlags && earlier->enPassant == p.enPassant) {
            p.repetition = static_cast<std::uint8_t>(earlier->repetition + 1);
            return;
        }
    }
}

// Writes the changed board and state into `after`, turned over for the opponent; repetition 0.
[[gnu::always_inline]] inline void writeTurned(Position& after, const Board& b, unsigned castleFlags,
                                               unsigned enPassant, unsigned rule50, std::uint32_t sideToMove) {
    after.ownPieces = byteSwap((b.plane0 | b.plane1 | b.plane2) ^ b.own);
    after.typePlane0 = byteSwap(b.plane0);
    after.typePlane1 = byteSwap(b.plane1);
    after.typePlane2 = byteSwap(b.plane2);
    after.castleFlags = std::rotl(static_cast<std::uint8_t>(castleFlags), 4);
    after.enPassant = static_cast<std::uint8_t>(enPassant);
    after.rule50 = static_cast<std::uint8_t>(rule50);
    after.repetition = 0;
    after.sideToMove = sideToMove ^ 1u;  // only ever 0 or 1
}

// The planes each piece type sets, all ones or zero.
struct PieceTraits {
    Bitboard planes[3];
};
constexpr std::array<PieceTraits, 8> makePieceTraits() {
    std::array<PieceTraits, 8> traits{};
    for (int type = 0; type < 8; ++type)
        for (int plane = 0; plane < 3; ++plane) traits[type].planes[plane] = planeMask(type, plane);
    return traits;
}
inline constexpr std::array<PieceTraits, 8> PIECE_TRAITS = makePieceTraits();

// The six plain capture kinds with the capturing type read from the kind: captures come in no
// order of kind, so a branch on it would mostly be mispredicted.
[[gnu::always_inline]] inline void makeCaptureOnto(const Position& before, Position& after, Move move) {
    const PieceTraits& piece = PIECE_TRAITS[moveKind(move) & 7];
    const int from = moveFrom(move), to = moveTo(move);
    const Bitboard toBit = squareBit(to), fromTo = squareBit(from) | toBit;
    const Board b{before.ownPieces ^ fromTo, (before.typePlane0 & ~toBit) ^ (fromTo & piece.planes[0]),
                  (before.typePlane1 & ~toBit) ^ (fromTo & piece.planes[1]),
                  (before.typePlane2 & ~toBit) ^ (fromTo & piece.planes[2])};
    const std::uint8_t* rightsAt = castling.side[before.sideToMove].rightsAt;
    const unsigned castleFlags = before.castleFlags & ~unsigned(rightsAt[from] | rightsAt[to]);
    writeTurned(after, b, castleFlags, NO_EN_PASSANT, 0, before.sideToMove);
}

// Steps 4 to 8 of makeMove for one kind, which the caller knows to be one of the seventeen:
// `after`, the stack record right above `before`, becomes `before` changed for the move and
// turned over.
template <std::uint32_t kind>
[[gnu::always_inline]] inline void makeKindOnto(const Position& before, Position& after, Move move) {
    const int from = moveFrom(move), to = moveTo(move);
    const Bitboard fromBit = squareBit(from), toBit = squareBit(to), fromTo = fromBit | toBit;
    Board b{before.ownPieces, before.typePlane0, before.typePlane1, before.typePlane2};
    unsigned castleFlags = before.castleFlags;
    unsigned enPassant = NO_EN_PASSANT;
    constexpr int type = static_cast<int>(kind & 7);
    constexpr bool reversible =
        (kind >= KNIGHT_MOVE && kind <= KING_MOVE) || kind == CASTLE_SHORT || kind == CASTLE_LONG;

    if constexpr (kind == PAWN_PUSH) {
        b.movePiece(PAWN, fromTo);
        // A double step from rank 2 to rank 4 opens en passant on its file.
        if ((fromBit & RANK_2) && (toBit & 0x00000000FF000000ULL)) enPassant = static_cast<unsigned>(to & 7);
    } else if constexpr (kind >= KNIGHT_MOVE && kind <= KING_MOVE) {
        b.movePiece(type, fromTo);
        if constexpr (type == ROOK) castleFlags &= ~unsigned{castling.side[before.sideToMove].rightsAt[from]};
        if constexpr (type == KING) castleFlags &= 0xFCu;
    } else if constexpr (kind >= PAWN_CAPTURE && kind <= KING_CAPTURE) {
        makeCaptureOnto(before, after, move);
        return;
    } else if constexpr (kind == PROMOTION || kind == PROMOTION_CAPTURE) {
        if constexpr (kind == PROMOTION_CAPTURE) {
            b.clearSquare(toBit);
            castleFlags &= ~unsigned{castling.side[before.sideToMove].rightsAt[to]};
        }
        b.own ^= fromTo;
        b.plane0 &= ~fromBit;
        b.placePiece(movePromotion(move), toBit);
    } else if constexpr (kind == CASTLE_SHORT || kind == CASTLE_LONG) {
        b.castle(fromBit ^ toBit, castling.side[before.sideToMove].rookFromTo[kind == CASTLE_SHORT]);
        castleFlags &= 0xFCu;
    } else {
        static_assert(kind == EN_PASSANT);
        b.movePiece(PAWN, fromTo);
        b.plane0 &= ~squareBit(to - 8);
    }
    writeTurned(after, b, castleFlags, enPassant, reversible ? nextReversiblePly(before.rule50) : 0u,
                before.sideToMove);
    if constexpr (reversible) scanRepetition(after, static_cast<int>(&after - positionStack));
}

// Calls `make` with the move's kind as a compile-time constant; codes that are no move go to
// `other`.
template <typename Make, typename Other>
[[gnu::always_inline]] inline void dispatchKind(std::uint32_t kind, Make&& make, Other&& other) {
    switch (kind) {
        case PAWN_PUSH: make(std::integral_constant<std::uint32_t, PAWN_PUSH>{}); return;
        case KNIGHT_MOVE: make(std::integral_constant<std::uint32_t, KNIGHT_MOVE>{}); return;
        case BISHOP_MOVE: make(std::integral_constant<std::uint32_t, BISHOP_MOVE>{}); return;
        case ROOK_MOVE: make(std::integral_constant<std::uint32_t, ROOK_MOVE>{}); return;
        case QUEEN_MOVE: make(std::integral_constant<std::uint32_t, QUEEN_MOVE>{}); return;
        case KING_MOVE: make(std::integral_constant<std::uint32_t, KING_MOVE>{}); return;
        case PAWN_CAPTURE: make(std::integral_constant<std::uint32_t, PAWN_CAPTURE>{}); return;
        case KNIGHT_CAPTURE: make(std::integral_constant<std::uint32_t, KNIGHT_CAPTURE>{}); return;
        case BISHOP_CAPTURE: make(std::integral_constant<std::uint32_t, BISHOP_CAPTURE>{}); return;
        case ROOK_CAPTURE: make(std::integral_constant<std::uint32_t, ROOK_CAPTURE>{}); return;
        case QUEEN_CAPTURE: make(std::integral_constant<std::uint32_t, QUEEN_CAPTURE>{}); return;
        case KING_CAPTURE: make(std::integral_constant<std::uint32_t, KING_CAPTURE>{}); return;
        case PROMOTION: make(std::integral_constant<std::uint32_t, PROMOTION>{}); return;
        case CASTLE_SHORT: make(std::integral_constant<std::uint32_t, CASTLE_SHORT>{}); return;
        case PROMOTION_CAPTURE: make(std::integral_constant<std::uint32_t, PROMOTION_CAPTURE>{}); return;
        case CASTLE_LONG: make(std::integral_constant<std::uint32_t, CASTLE_LONG>{}); return;
        case EN_PASSANT: make(std::integral_constant<std::uint32_t, EN_PASSANT>{}); return;
        default: other(); return;
    }
}

// makeMove without its bookkeeping: plain captures on one path, the other kinds by one branch
// on the kind. Loops that make many moves from one record count the nodes and step
// currentPosition themselves.
[[gnu::always_inline]] inline void makeMoveOnto(const Position& before, Position& after, Move move) {
    const std::uint32_t kind = moveKind(move);
    if (kind >= PAWN_CAPTURE && kind <= KING_CAPTURE) {
        makeCaptureOnto(before, after, move);
        return;
    }
    dispatchKind(
        kind,
        [&](auto constant) __attribute__((always_inline)) {
            makeKindOnto<decltype(constant)::value>(before, after, move);
        },
        // Not a move: the new record stays an unchanged copy for the caller to pop.
        [&] { after = before; });
}
}  // namespace detail

[[gnu::always_inline]] inline void makeMove(Move move) {
    ++nodeCount;
    Position& after = *(currentPosition + 1);
    detail::makeMoveOnto(*currentPosition, after, move);
    currentPosition = &after;
}

// Takes back the last move made (or the unchanged copy of a rejected code).
inline void takeBack() { --currentPosition; }
