// What the fuzz targets share: checks that hold for every position the engine accepts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"

// Aborts (a finding for the fuzzer) when the record is not a position the engine can play.
inline void requireSaneRecord(const Position& p) {
    const Bitboard occupied = occupiedSquares(p);
    if ((p.ownPieces & ~occupied) != 0) std::abort();
    if ((p.typePlane0 & p.typePlane1 & p.typePlane2) != 0) std::abort();
    if (popCount(kingsOf(p) & p.ownPieces) != 1 || popCount(kingsOf(p) & ~p.ownPieces) != 1) std::abort();
    if (p.sideToMove > 1 || p.enPassant > 8 || (p.castleFlags & 0xCC) != 0) std::abort();
}

// Makes every pseudo-legal move, checks each legal result, and takes it back.
inline int playEveryMove() {
    Position* const top = currentPosition;
    Move moves[MAX_MOVES];
    int count = 0;
    generateAllMoves(moves, count);
    int legal = 0;
    for (int i = 0; i < count; ++i) {
        makeMove(moves[i]);
        if (opponentKingAttackers() == 0) {
            requireSaneRecord(*currentPosition);
            ++legal;
        }
        takeBack();
    }
    if (currentPosition != top) std::abort();
    return legal;
}

// Sets up the start its first byte picks from `positions`; the rest of the input stays to be played.
template <std::size_t N>
void startFromFirstByte(const std::uint8_t* data, const char* const (&positions)[N]) {
    setStartPosition();
    if (readFen(positions[data[0] % N]) != 1) std::abort();
}

inline std::string asText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Runs `play` on each text of `rest`, the texts separated by NUL bytes, in order.
template <typename Play>
void forEachText(const std::string& rest, Play play) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = rest.find('\0', at);
        play(rest.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return;
        at = end + 1;
    }
}
