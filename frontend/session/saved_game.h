// A copy of the game on the stack (record 0 up to the current one), for the commands that
// put other positions on the stack for a while, or fail halfway, and must leave the game
// exactly as it was.
#pragma once

#include <cstring>
#include <vector>

#include "board/castling.h"
#include "board/position.h"

// The castling setup and the Chess960 switches belong to the game as much as its records.
struct SavedGame {
    std::vector<Position> records;
    CastlingGame castlingGame;
    bool chess960Rules, chess960Text, castlingText;
};

inline SavedGame saveGame() {
    return {std::vector<Position>(positionStack, currentPosition + 1), castling, chess960, chess960Notation,
            castlingAsOO};
}

inline void restoreGame(const SavedGame& saved) {
    std::memcpy(positionStack, saved.records.data(), saved.records.size() * sizeof(Position));
    currentPosition = positionStack + saved.records.size() - 1;
    castling = saved.castlingGame;
    chess960 = saved.chess960Rules;
    chess960Notation = saved.chess960Text;
    castlingAsOO = saved.castlingText;
}
