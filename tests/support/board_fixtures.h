// Small helpers the board and move-generation tests share.
#pragma once

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"

// A fresh game from `fen`; fails the calling test when the text is refused.
inline bool loadFen(const char* fen) {
    setStartPosition();
    return readFen(fen) == 1;
}

// Plays space-separated coordinate moves through the move parser; false at the first refusal.
inline bool playMoves(const std::string& moves) {
    std::size_t at = 0;
    while (at < moves.size()) {
        const std::size_t end = moves.find(' ', at);
        const std::string move = moves.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!move.empty() && parseMove(move.c_str()) != 1) return false;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return true;
}

inline bool samePosition(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool sameBoard(const Position& a, const Position& b) {
    return a.ownPieces == b.ownPieces && a.typePlane0 == b.typePlane0 && a.typePlane1 == b.typePlane1 &&
           a.typePlane2 == b.typePlane2;
}

// Starts for random games that between them reach every move kind: castling both ways,
// promotions with and without a capture, en passant (one of them along a pinned rank), checks
// and pins.
inline constexpr const char* VARIED_STARTS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/8/2pP4/8/8/8/4K3 w - c6 0 1",
    "4k3/8/8/KPp4r/8/8/8/8 w - c6 0 1",
};

// Real-board square from text such as "e4".
constexpr int squareOf(const char* text) { return (text[0] - 'a') + 8 * (text[1] - '1'); }
