// Copy-make: the current record is copied one slot up, changed for the move and turned over.
// Taking a move back is stepping currentPosition down one record.
#pragma once

#include <array>
#include <cstdint>

#include "board/move.h"
#include "board/position.h"

// Counts every makeMove call, whatever the move; the search reports it.
inline std::uint32_t nodeCount = 0;

namespace detail {
// Castling rights lost when an own rook leaves its corner.
constexpr std::array<std::uint8_t, 64> ownCornerRights() {
    std::array<std::uint8_t, 64> t{};
    t[0] = 0x01;
    t[7] = 0x02;
    return t;
}
// Opponent rights lost when something is captured on the opponent's corner.
constexpr std::array<std::uint8_t, 64> opponentCornerRights() {
    std::array<std::uint8_t, 64> t{};
    t[56] = 0x10;
    t[63] = 0x20;
    return t;
}
inline constexpr std::array<std::uint8_t, 64> OWN_CORNER_RIGHTS = ownCornerRights();
inline constexpr std::array<std::uint8_t, 64> OPPONENT_CORNER_RIGHTS = opponentCornerRights();

constexpr Bitboard planeMask(int type, int plane) { return Bitboard{0} - ((static_cast<unsigned>(type) >> plane) & 1u); }

// Toggles the moving piece's squares in ownPieces and in the planes of its type.
inline void movePiece(Position& p, int type, Bitboard fromTo) {
    p.ownPieces ^= fromTo;
    p.typePlane0 ^= fromTo & planeMask(type, 0);
    p.typePlane1 ^= fromTo & planeMask(type, 1);
    p.typePlane2 ^= fromTo & planeMask(type, 2);
}

inline void clearSquare(Position& p, Bitboard target) {
    p.typePlane0 &= ~target;
    p.typePlane1 &= ~target;
    p.typePlane2 &= ~target;
}

inline void placePromotion(Position& p, int type, Bitboard to) {
    p.typePlane0 |= to & planeMask(type, 0);
    p.typePlane1 |= to & planeMask(type, 1);
    p.typePlane2 |= to & planeMask(type, 2);
}

// rule50 saturates instead of wrapping in a game played on past the fifty-move limit.
inline void countReversiblePly(Position& p) { p.rule50 = static_cast<std::uint8_t>(p.rule50 + (p.rule50 != 255)); }

// After a reversible move: find the latest earlier record with the same side to move and the
// same placement inside the rule50 window.
inline void scanRepetition(Position& p) {
    const int window = p.rule50;
    const int reachable = stackIndex();
    const Position* earlier = &p - 2;
    for (int distance = 2; distance <= window && distance <= reachable; distance += 2, earlier -= 2) {
        if (earlier->ownPieces == p.ownPieces && earlier->typePlane0 == p.typePlane0 &&
            earlier->typePlane1 == p.typePlane1 && earlier->typePlane2 == p.typePlane2) {
            p.repetition = static_cast<std::uint8_t>(earlier->repetition + 1);
            return;
        }
    }
}
}  // namespace detail

inline void makeMove(Move move) {
    using namespace detail;
    ++nodeCount;
    Position& p = *(currentPosition + 1);
    p = *currentPosition;
    currentPosition = &p;

    const std::uint32_t kind = moveKind(move);
    const int from = moveFrom(move), to = moveTo(move);
    const Bitboard fromBit = squareBit(from), toBit = squareBit(to), fromTo = fromBit | toBit;
    bool reversible = false;

    switch (kind) {
        case PAWN_PUSH:
            movePiece(p, PAWN, fromTo);
            // A double step from rank 2 to rank 4 opens en passant on its file.
            p.enPassant = ((fromBit & RANK_2) && (toBit & 0x00000000FF000000ULL)) ? static_cast<std::uint8_t>(to & 7)
                                                                                   : NO_EN_PASSANT;
            p.rule50 = 0;
            break;
        case KNIGHT_MOVE:
        case BISHOP_MOVE:
        case QUEEN_MOVE:
            movePiece(p, static_cast<int>(kind), fromTo);
            p.enPassant = NO_EN_PASSANT;
            countReversiblePly(p);
            reversible = true;
            break;
        case ROOK_MOVE:
            movePiece(p, ROOK, fromTo);
            p.enPassant = NO_EN_PASSANT;
            p.castleFlags &= static_cast<std::uint8_t>(~OWN_CORNER_RIGHTS[from]);
            countReversiblePly(p);
            reversible = true;
            break;
        case KING_MOVE:
            movePiece(p, KING, fromTo);
            p.enPassant = NO_EN_PASSANT;
            p.castleFlags &= 0xFC;
            countReversiblePly(p);
            reversible = true;
            break;
        case PAWN_CAPTURE:
        case KNIGHT_CAPTURE:
        case BISHOP_CAPTURE:
        case ROOK_CAPTURE:
        case QUEEN_CAPTURE:
        case KING_CAPTURE: {
            const int type = static_cast<int>(kind & 7);
            clearSquare(p, toBit);
            movePiece(p, type, fromTo);
            p.enPassant = NO_EN_PASSANT;
            std::uint8_t lost = OPPONENT_CORNER_RIGHTS[to];
            if (type == ROOK) lost |= OWN_CORNER_RIGHTS[from];
            if (type == KING) lost |= 0x03;
            p.castleFlags &= static_cast<std::uint8_t>(~lost);
            p.rule50 = 0;
            break;
        }
        case PROMOTION:
        case PROMOTION_CAPTURE:
            if (kind == PROMOTION_CAPTURE) {
                clearSquare(p, toBit);
                p.castleFlags &= static_cast<std::uint8_t>(~OPPONENT_CORNER_RIGHTS[to]);
            }
            p.ownPieces ^= fromTo;
            p.typePlane0 &= ~fromBit;
            placePromotion(p, movePromotion(move), toBit);
            p.enPassant = NO_EN_PASSANT;
            p.rule50 = 0;
            break;
        case CASTLE_SHORT:
        case CASTLE_LONG: {
            const Bitboard rook = kind == CASTLE_SHORT ? squareBit(5) | squareBit(7) : squareBit(0) | squareBit(3);
            p.ownPieces ^= fromTo | rook;
            p.typePlane1 ^= fromTo;
            p.typePlane2 ^= fromTo | rook;
            p.enPassant = NO_EN_PASSANT;
            p.castleFlags &= 0xFC;
            countReversiblePly(p);
            reversible = true;
            break;
        }
        case EN_PASSANT:
            movePiece(p, PAWN, fromTo);
            p.typePlane0 &= ~squareBit(to - 8);
            p.enPassant = NO_EN_PASSANT;
            p.rule50 = 0;
            break;
        default:
            // Not a move: the new record stays an unchanged copy for the caller to pop.
            return;
    }

    flipBoard(p);
    p.repetition = 0;
    if (reversible) scanRepetition(p);
}

// Takes back the last move made (or the unchanged copy of a rejected code).
inline void takeBack() { --currentPosition; }
