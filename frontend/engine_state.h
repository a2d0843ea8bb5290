// The records shared by the front end, the search and the book: settings, game state, clocks.
// Deliberately free of any loop or protocol code, so the search and the book depend on it alone.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr std::uint8_t SIDE_NONE = 99;
inline constexpr int SETTING_TEXT_LENGTH = 100;

struct EngineSettings {
    std::int32_t maxDepth = 32;
    std::int32_t postThinking = 1;
    char logFile[SETTING_TEXT_LENGTH] = "tarlowick.log";
    std::int32_t logGame = 0;
    std::FILE* logStream = nullptr;
    char bookFile[SETTING_TEXT_LENGTH] = "book.bin";
    std::int32_t book = 1;
    std::int32_t randBook = 1;
    std::int32_t maxTime = 360000;   // centiseconds
    std::int32_t moveTime = 360000;  // centiseconds, hard limit of one search
    std::int32_t suddenDeath = 20;
    std::int32_t moreTime = 5;
    std::int32_t lessTime = 5;
    std::int32_t fastGame = 5;
    std::int32_t hashSize = 24;  // megabytes of the transposition table
    std::int32_t ponder = 0;     // 1: think on the opponent's time ("hard" and UCI's Ponder)
};

struct GameState {
    std::uint8_t engineSide = SIDE_NONE;
    std::int32_t gameOver = 0;
    std::int32_t stopSearch = 0;
    std::int32_t quitRequested = 0;
    std::uint32_t searchStartTime = 0;
    char opponentName[SETTING_TEXT_LENGTH] = "";
};

// All times in centiseconds.
struct TimeControl {
    std::int32_t timeLeft = 360000;
    std::int32_t opponentTimeLeft = 0;
    std::int32_t increment = 0;
    std::int32_t movesPerControl = 0;
    std::int32_t allocatedTime = 360000;
};

// Called by the search every few thousand nodes while it runs, so that a front end can read
// input without a second thread; it may raise stopSearch. Null (the default): the search reads
// nothing and runs exactly as without it.
inline void (*searchPoll)() = nullptr;

inline EngineSettings engineSettings;
inline GameState gameState;
inline TimeControl timeControl;

// Milliseconds, wrapping modulo 2^32; elapsed times are differences taken as signed values.
// A monotonic clock, so that a wall-clock adjustment never stops or stretches a search.
std::uint32_t clockMs();

// Milliseconds since `start`, a reading of clockMs.
inline std::int32_t elapsedMs(std::uint32_t start) { return static_cast<std::int32_t>(clockMs() - start); }
