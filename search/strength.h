// Playing strength for people: UCI_LimitStrength with UCI_Elo. A limited level searches its
// own way at the root, within a node budget, misjudging positions by a noise seeded once per
// game and, at the weakest levels, not seeing some moves. Full strength never comes here.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "search/driver.h"

// The range of UCI_Elo. The top is the engine's own strength: at the top the level plays the
// unrestricted search.
inline constexpr std::int32_t LEVEL_MIN_ELO = 600;
inline constexpr std::int32_t LEVEL_TOP_ELO = 2100;

// What a level may do.
struct StrengthLevel {
    std::int32_t elo;
    std::uint32_t nodes;  // budget per move; depth 1 is always finished whatever it costs
    std::int32_t depth;   // deepest iteration
    std::int32_t noise;   // centipawns: a position's score is off by at most this much
    std::int32_t blind;   // per mille: how often an ordinary quiet move goes unseen
};

// The level for `elo`, interpolated between the rows of the level table (clamped to its range).
StrengthLevel strengthLevel(std::int32_t elo);

// Whether the settings ask for a weaker search than the unrestricted one.
bool strengthLimited();

// The seed of the game's noise. A fixed seed holds until released; otherwise a new one is drawn
// whenever a search sees that a new game has started.
void fixStrengthSeed(std::uint64_t seed);
void releaseStrengthSeed();
std::uint64_t strengthSeed();

// Whether `level` sees `move` (a legal move of the current position) under `seed`. Moves out of
// check, even or winning captures, captures of rooks and queens, recaptures and promotions are
// always seen; long and backward quiet moves are missed most.
bool moveSeen(const StrengthLevel& level, std::uint64_t seed, Move move);

// How far `level` misjudges the current position under `seed`: the same amount every time the
// position comes back in the game.
std::int32_t positionNoise(const StrengthLevel& level, std::uint64_t seed);

// Iterative deepening at `level` from depth 1: every seen root move is judged by its score plus
// its position's noise, and the best of them is played (the first on a tie). An iteration counts only
// when it finishes below the node budget (depth 1 always counts); each that counts goes to
// `report` with the level's own depth and score. The front end's root choice is honoured.
DeepeningResult deepenAtLevel(const StrengthLevel& level, int depthLimit, IterationReport report);
