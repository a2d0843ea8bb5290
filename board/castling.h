// Castling in standard chess and in Chess960: where the game's kings and castling rooks start,
// the tables the move maker, the generators and the key read from that, and the two switches
// a Chess960 game turns on.
#pragma once

#include <cstdint>

#include "board/bitboard.h"
#include "board/move.h"
#include "board/position.h"

// A right's index, which is also its bit in castleFlags' nibble of its side.
inline constexpr int LONG_CASTLING = 0;
inline constexpr int SHORT_CASTLING = 1;

// The start files of each side's king and castling rooks, by real colour: a composed position
// may give the two sides different ones. castleFlags keeps which rights remain; this says
// which rook each right stands for.
struct CastlingSetup {
    std::uint8_t kingFile[2];
    std::uint8_t rookFile[2][2];  // [colour][LONG_CASTLING or SHORT_CASTLING]
};
inline constexpr CastlingSetup STANDARD_CASTLING{{4, 4}, {{0, 7}, {0, 7}}};

// One side to move's castling, in its record orientation (its own back rank is rank 1). The
// king ends on c1 or g1 and the rook on d1 or f1, wherever they start.
struct CastlingSide {
    // The rights (own in the low nibble, the opponent's in the high one) whose king or rook
    // starts on the square: while a right remains its pieces stand there, so a move from or
    // onto such a square ends exactly those rights.
    std::uint8_t rightsAt[64];
    std::uint8_t rookFrom[2];
    bool standard;            // king on e1, rooks on a1 and h1: the generators' fast test holds
    Move move[2];             // king from its square to c1 or g1
    Bitboard rookFromTo[2];   // the rook's start and end squares XORed: 0 when it stays
    Bitboard mustBeEmpty[2];  // what king and rook cross or land on, their own squares left out
    Bitboard kingPath[2];     // what the king stands on, crosses and lands on: none may be attacked
};

struct CastlingGame {
    CastlingSetup setup;
    CastlingSide side[2];  // by side to move
};

namespace detail {
// The squares of rank 1 from file `a` to file `b`, both included.
constexpr Bitboard rankSpan(int a, int b) {
    const int low = a < b ? a : b, high = a < b ? b : a;
    return (squareBit(high + 1) - 1) & ~(squareBit(low) - 1);
}

constexpr CastlingSide castlingSide(const CastlingSetup& setup, int colour) {
    CastlingSide side{};
    const int king = setup.kingFile[colour];
    for (int right = LONG_CASTLING; right <= SHORT_CASTLING; ++right) {
        const int rook = setup.rookFile[colour][right];
        const int kingTo = right == SHORT_CASTLING ? 6 : 2, rookTo = kingTo == 6 ? 5 : 3;
        side.rightsAt[rook] |= static_cast<std::uint8_t>(1 << right);
        const int theirRook = 56 + setup.rookFile[colour ^ 1][right];
        side.rightsAt[theirRook] |= static_cast<std::uint8_t>(0x10 << right);
        side.rookFrom[right] = static_cast<std::uint8_t>(rook);
        side.move[right] = encodeMove(right == SHORT_CASTLING ? CASTLE_SHORT : CASTLE_LONG, king, kingTo);
        side.rookFromTo[right] = squareBit(rook) ^ squareBit(rookTo);
        side.kingPath[right] = rankSpan(king, kingTo);
        side.mustBeEmpty[right] =
            (rankSpan(king, kingTo) | rankSpan(rook, rookTo)) & ~(squareBit(king) | squareBit(rook));
    }
    side.rightsAt[king] |= 0x03;
    side.standard =
        king == 4 && setup.rookFile[colour][LONG_CASTLING] == 0 && setup.rookFile[colour][SHORT_CASTLING] == 7;
    return side;
}
}  // namespace detail

constexpr CastlingGame castlingGame(const CastlingSetup& setup) {
    return {setup, {detail::castlingSide(setup, WHITE), detail::castlingSide(setup, BLACK)}};
}

// The current game's castling. setStartPosition restores the standard setup and readFen sets
// it from the position it reads.
inline CastlingGame castling = castlingGame(STANDARD_CASTLING);

inline void setCastlingSetup(const CastlingSetup& setup) { castling = castlingGame(setup); }

// A Chess960 game: in FEN, K, Q, k and q name the outermost rook on that side of the king
// wherever the king stands (X-FEN), and writeFen writes them so. Off, they mean a king on e1
// or e8 and a rook in the corner, as in standard chess. File letters (Shredder-FEN, "HAha")
// are read either way.
inline bool chess960 = false;

// Chess960 coordinate notation: castling is written and read as the king taking its own rook
// (e1h1, b1a1), so a text such as f1g1 is only ever a king step. Off, castling is the king's
// two squares (e1g1), as in standard chess.
inline bool chess960Notation = false;

// Castling written as O-O and O-O-O in coordinate text, as xboard sends and expects it in
// Chess960. Reading stays as the two switches above say; the front end reads O-O as SAN.
inline bool castlingAsOO = false;

// Whether the side to move may castle with `right` (LONG_CASTLING or SHORT_CASTLING) now: the
// right remains, every square king and rook cross or land on is empty but for the two of them,
// and no square the king stands on, crosses or lands on is attacked with both of them lifted
// (so a castling rook that shields the king's way from a rook on the back rank shields nothing).
// Works for any setup; the move generator keeps a faster test for the standard one.
bool castlingAllowed(const Position& p, int right);

// The Chess960 start array number `number` (0..959, Scharnagl's numbering: 518 is the standard
// array, 0 is BBQNNRKR) as piece letters from the a-file to the h-file, with a terminator.
// Returns 0 for a number out of range.
int chess960BackRank(int number, char (&letters)[9]);

// Writes that start position's FEN in X-FEN ("... w KQkq - 0 1") into `buffer` (at least 64
// characters). Returns 0 for a number out of range.
int writeChess960Fen(char* buffer, int number);

// Restarts the stack at record 0 with that start position, white to move, and its castling
// setup, whatever the chess960 switch says. Returns 0 (nothing changed) for a number out of range.
int setChess960StartPosition(int number);
