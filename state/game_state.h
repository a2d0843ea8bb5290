// Whose move the engine plays, whether the game is over, and the flags that end a search or
// the program.
#pragma once

#include <cstdint>

#include "state/settings.h"

inline constexpr std::uint8_t SIDE_NONE = 99;

struct GameState {
    std::uint8_t engineSide = SIDE_NONE;
    std::int32_t gameOver = 0;
    std::int32_t stopSearch = 0;
    std::int32_t quitRequested = 0;
    std::uint32_t searchStartTime = 0;
    char opponentName[SETTING_TEXT_LENGTH] = "";
};

inline GameState gameState;
