// The position record, always seen from the side to move, and the stack that holds the game
// plus the search's current line.
#pragma once

#include <bit>
#include <cstdint>

#include "board/bitboard.h"

enum PieceType : int { EMPTY = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

inline constexpr int WHITE = 0;
inline constexpr int BLACK = 1;
inline constexpr std::uint8_t NO_EN_PASSANT = 8;

struct Position {
    Bitboard ownPieces;
    Bitboard typePlane0;
    Bitboard typePlane1;
    Bitboard typePlane2;
    std::uint8_t castleFlags;  // low nibble: side to move (bit 0 long, bit 1 short); high: opponent
    std::uint8_t enPassant;    // file of the pawn that just advanced two squares, 8 = none
    std::uint8_t rule50;
    std::uint8_t repetition;
    std::uint32_t sideToMove;  // real colour: 0 white, 1 black
};
static_assert(sizeof(Position) == 40);

// The game may run far past the fifty-move rule when a front end keeps feeding moves, so the
// stack holds any real game; the top SEARCH_RESERVE records are kept for the search's line.
inline constexpr int POSITION_STACK_SIZE = 16384;
inline constexpr int SEARCH_RESERVE = 512;
inline constexpr int MAX_GAME_RECORDS = POSITION_STACK_SIZE - SEARCH_RESERVE;

inline Position positionStack[POSITION_STACK_SIZE];
inline Position* currentPosition = positionStack;

inline int stackIndex() { return static_cast<int>(currentPosition - positionStack); }
// Records still free above the current one.
inline int stackRoom() { return POSITION_STACK_SIZE - 1 - stackIndex(); }
// Whether one more game move may be recorded while leaving the search its room.
inline bool gameHasRoom() { return stackIndex() + 1 < MAX_GAME_RECORDS; }

// Derived sets.
constexpr Bitboard occupiedSquares(const Position& p) { return p.typePlane0 | p.typePlane1 | p.typePlane2; }
constexpr Bitboard opponentPieces(const Position& p) { return occupiedSquares(p) ^ p.ownPieces; }
constexpr Bitboard pawnsOf(const Position& p) { return p.typePlane0 & ~p.typePlane1 & ~p.typePlane2; }
constexpr Bitboard knightsOf(const Position& p) { return p.typePlane1 & ~p.typePlane0 & ~p.typePlane2; }
constexpr Bitboard bishopsOf(const Position& p) { return p.typePlane0 & p.typePlane1 & ~p.typePlane2; }
constexpr Bitboard rooksOf(const Position& p) { return p.typePlane2 & ~p.typePlane0 & ~p.typePlane1; }
constexpr Bitboard queensOf(const Position& p) { return p.typePlane0 & p.typePlane2 & ~p.typePlane1; }
constexpr Bitboard kingsOf(const Position& p) { return p.typePlane1 & p.typePlane2 & ~p.typePlane0; }
// Pieces that slide like a rook (rooks, queens) or like a bishop (bishops, queens).
constexpr Bitboard rookSlidersOf(const Position& p) { return p.typePlane2 & ~p.typePlane1; }
constexpr Bitboard bishopSlidersOf(const Position& p) { return p.typePlane0 & (p.typePlane1 ^ p.typePlane2); }

constexpr int pieceTypeAt(const Position& p, int square) {
    return static_cast<int>(((p.typePlane0 >> square) & 1) | (((p.typePlane1 >> square) & 1) << 1) |
                            (((p.typePlane2 >> square) & 1) << 2));
}

// Turns the record over for the other side: ranks mirrored, roles and castling nibbles swapped.
constexpr void flipBoard(Position& p) {
    p.ownPieces = byteSwap(occupiedSquares(p) ^ p.ownPieces);
    p.typePlane0 = byteSwap(p.typePlane0);
    p.typePlane1 = byteSwap(p.typePlane1);
    p.typePlane2 = byteSwap(p.typePlane2);
    p.castleFlags = std::rotl(p.castleFlags, 4);
    p.sideToMove = p.sideToMove == 0 ? 1u : 0u;
}

// Record square <-> real square for a record whose side to move is `side`.
constexpr int realSquare(int square, std::uint32_t side) { return side == 1 ? square ^ 56 : square; }
