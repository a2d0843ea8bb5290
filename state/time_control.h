// The clocks the front end sets and the time allocation reads. All times in centiseconds.
#pragma once

#include <cstdint>

struct TimeControl {
    std::int32_t timeLeft = 360000;
    std::int32_t opponentTimeLeft = 0;
    std::int32_t increment = 0;
    std::int32_t movesPerControl = 0;
    std::int32_t allocatedTime = 360000;
};

inline TimeControl timeControl;
