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

// Real-board square from text such as "e4".
constexpr int squareOf(const char* text) { return (text[0] - 'a') + 8 * (text[1] - '1'); }
