// Copy-make: the current record is copied one slot up, changed for the move and turned over.
// Taking a move back is stepping currentPosition down one record.
#pragma once

#include <array>
#include <bit>
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
    void capture(int type, Bitboard fromTo, Bitboard target) {
        clearSquare(target);
        movePiece(type, fromTo);
    }
    // The king's two squares and the rook's two squares.
    void castle(Bitboard kingFromTo, Bitboard rookFromTo) {
        own ^= kingFromTo | rookFromTo;
        plane1 ^= kingFromTo;
        plane2 ^= kingFromTo | rookFromTo;
    }
    void placePiece(int type, Bitboard square) {
        plane0 |= square & planeMask(type, 0);
        plane1 |= square & planeMask(type, 1);
        plane2 |= square & planeMask(type, 2);
    }
};

// rule50 saturates instead of wrapping in a game played on past the fifty-move limit.
constexpr unsigned nextReversiblePly(unsigned rule50) { return rule50 + (rule50 != 255); }

// After a reversible move: find the latest earlier record with the same side to move and the
// same placement inside the rule50 window. `reachable` is the number of records below `p`.
inline void scanRepetition(Position& p, int reachable) {
    const int window = p.rule50;
    if (window < 2) return;  // the same side to move was last on move two plies ago
    const Position* earlier = &p - 2;
    for (int distance = 2; distance <= window && distance <= reachable; distance += 2, earlier -= 2) {
        if (earlier->ownPieces == p.ownPieces && earlier->typePlane0 == p.typePlane0 &&
            earlier->typePlane1 == p.typePlane1 && earlier->typePlane2 == p.typePlane2) {
            p.repetition = static_cast<std::uint8_t>(earlier->repetition + 1);
            return;
        }
    }
}

// makeMove without its bookkeeping: `after`, the stack record right above `before`, becomes
// `before` changed for the move and turned over. Loops that make many moves from one record
// count the nodes and step currentPosition themselves.
[[gnu::always_inline]] inline void makeMoveOnto(const Position& before, Position& after, Move move) {

    const std::uint32_t kind = moveKind(move);
    const int from = moveFrom(move), to = moveTo(move);
    const Bitboard fromBit = squareBit(from), toBit = squareBit(to), fromTo = fromBit | toBit;
    Board b{before.ownPieces, before.typePlane0, before.typePlane1, before.typePlane2};
    unsigned castleFlags = before.castleFlags;
    unsigned enPassant = NO_EN_PASSANT;
    unsigned rule50 = 0;
    bool reversible = false;

    switch (kind) {
        case PAWN_PUSH:
            b.movePiece(PAWN, fromTo);
            // A double step from rank 2 to rank 4 opens en passant on its file.
            if ((fromBit & RANK_2) && (toBit & 0x00000000FF000000ULL)) enPassant = static_cast<unsigned>(to & 7);
            break;
        case KNIGHT_MOVE: b.movePiece(KNIGHT, fromTo); reversible = true; break;
        case BISHOP_MOVE: b.movePiece(BISHOP, fromTo); reversible = true; break;
        case QUEEN_MOVE: b.movePiece(QUEEN, fromTo); reversible = true; break;
        case ROOK_MOVE:
            b.movePiece(ROOK, fromTo);
            castleFlags &= ~unsigned{OWN_CORNER_RIGHTS[from]};
            reversible = true;
            break;
        case KING_MOVE:
            b.movePiece(KING, fromTo);
            castleFlags &= 0xFCu;
            reversible = true;
            break;
        case PAWN_CAPTURE: b.capture(PAWN, fromTo, toBit); castleFlags &= ~unsigned{OPPONENT_CORNER_RIGHTS[to]}; break;
        case KNIGHT_CAPTURE: b.capture(KNIGHT, fromTo, toBit); castleFlags &= ~unsigned{OPPONENT_CORNER_RIGHTS[to]}; break;
        case BISHOP_CAPTURE: b.capture(BISHOP, fromTo, toBit); castleFlags &= ~unsigned{OPPONENT_CORNER_RIGHTS[to]}; break;
        case QUEEN_CAPTURE: b.capture(QUEEN, fromTo, toBit); castleFlags &= ~unsigned{OPPONENT_CORNER_RIGHTS[to]}; break;
        case ROOK_CAPTURE:
            b.capture(ROOK, fromTo, toBit);
            castleFlags &= ~unsigned(OWN_CORNER_RIGHTS[from] | OPPONENT_CORNER_RIGHTS[to]);
            break;
        case KING_CAPTURE:
            b.capture(KING, fromTo, toBit);
            castleFlags &= ~unsigned(0x03 | OPPONENT_CORNER_RIGHTS[to]);
            break;
        case PROMOTION_CAPTURE:
            b.clearSquare(toBit);
            castleFlags &= ~unsigned{OPPONENT_CORNER_RIGHTS[to]};
            [[fallthrough]];
        case PROMOTION:
            b.own ^= fromTo;
            b.plane0 &= ~fromBit;
            b.placePiece(movePromotion(move), toBit);
            break;
        case CASTLE_SHORT:
            b.castle(fromTo, squareBit(5) | squareBit(7));
            castleFlags &= 0xFCu;
            reversible = true;
            break;
        case CASTLE_LONG:
            b.castle(fromTo, squareBit(0) | squareBit(3));
            castleFlags &= 0xFCu;
            reversible = true;
            break;
        case EN_PASSANT:
            b.movePiece(PAWN, fromTo);
            b.plane0 &= ~squareBit(to - 8);
            break;
        default:
            // Not a move: the new record stays an unchanged copy for the caller to pop.
            after = before;
            return;
    }
    if (reversible) rule50 = nextReversiblePly(before.rule50);

    // Written turned over, for the opponent.
    after.ownPieces = byteSwap((b.plane0 | b.plane1 | b.plane2) ^ b.own);
    after.typePlane0 = byteSwap(b.plane0);
    after.typePlane1 = byteSwap(b.plane1);
    after.typePlane2 = byteSwap(b.plane2);
    after.castleFlags = std::rotl(static_cast<std::uint8_t>(castleFlags), 4);
    after.enPassant = static_cast<std::uint8_t>(enPassant);
    after.rule50 = static_cast<std::uint8_t>(rule50);
    after.repetition = 0;
    after.sideToMove = before.sideToMove ^ 1u;  // only ever 0 or 1
    if (reversible) scanRepetition(after, static_cast<int>(&after - positionStack));
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
