// A copy of the game on the stack (record 0 up to the current one), for the commands that
// put other positions on the stack for a while, or fail halfway, and must leave the game
// exactly as it was.
#pragma once

#include <cstring>
#include <vector>

#include "board/position.h"

struct SavedGame {
    std::vector<Position> records;
};

inline SavedGame saveGame() { return {std::vector<Position>(positionStack, currentPosition + 1)}; }

inline void restoreGame(const SavedGame& saved) {
    std::memcpy(positionStack, saved.records.data(), saved.records.size() * sizeof(Position));
    currentPosition = positionStack + saved.records.size() - 1;
}
