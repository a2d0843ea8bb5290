// The engine's settings: what the configuration file, the protocols and the console set, and
// what the search, the book and the game log read.
#pragma once

#include <cstdint>
#include <cstdio>

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
    std::int32_t multiPv = 1;    // lines every search reports; the move played is line 1's
    std::int32_t moveOverhead = 1000;  // milliseconds a short clock keeps back for moves in transit
    std::int32_t threads = 1;    // searched with one thread whatever is asked
    std::int32_t uciChess960 = 0;  // UCI_Chess960: Chess960 rules and castling as king takes rook
    std::int32_t limitStrength = 0;  // 1: play at the level of `elo` (UCI_LimitStrength)
    std::int32_t elo = 2100;         // UCI_Elo; its top (search/strength.h) is full strength
};

inline EngineSettings engineSettings;
