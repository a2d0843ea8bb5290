// Comparing a session's output with its expected transcript. Most of a transcript is exact;
// a few placeholders stand for what legitimately varies: the engine's chosen moves, timing.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "../book/book_files.h"

inline constexpr const char* BANNER =
    "tarlowick, a bitboard chess engine\nversion 0.06\nenter 'console' for console mode...\n";

// {move}  one coordinate move: four characters, then a promotion letter, a blank or nothing
// {line}  the text of any one line
// {time}  seconds with three decimals
// {board} one whole board diagram
inline std::string transcriptPattern(const std::string& expected) {
    static const std::pair<const char*, const char*> PLACEHOLDERS[] = {
        {"{move}", "[a-h][1-8][a-h][1-8][nbrq ]?"},
        {"{line}", "[^\\n]*"},
        {"{time}", "[0-9]+\\.[0-9]{3}"},
        {"{board}",
         "\\n\\n  \\+(---\\+){8}\\n([1-8] \\|( [ PCATDRpcatdr] \\|){8}\\n  \\+(---\\+){8}\\n){8}"
         "\\n    A   B   C   D   E   F   G   H\\n\\n"},
    };
    std::string pattern;
    for (std::size_t i = 0; i < expected.size();) {
        bool replaced = false;
        for (const auto& [name, regex] : PLACEHOLDERS) {
            const std::string placeholder = name;
            if (expected.compare(i, placeholder.size(), placeholder) == 0) {
                pattern += regex;
                i += placeholder.size();
                replaced = true;
                break;
            }
        }
        if (replaced) continue;
        const char c = expected[i++];
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

inline bool hasPlaceholder(const std::string& expected) {
    for (const char* name : {"{move}", "{line}", "{time}", "{board}"})
        if (expected.find(name) != std::string::npos) return true;
    return false;
}

inline void expectTranscript(const std::string& actual, const std::string& expected) {
    if (!hasPlaceholder(expected)) {
        EXPECT_EQ(actual, expected);
        return;
    }
    EXPECT_TRUE(std::regex_match(actual, std::regex(transcriptPattern(expected))))
        << "output:\n" << actual << "\nexpected:\n" << expected;
}

// The diagram of eight ranks given top (rank 8) first, in the board's letters.
inline std::string diagram(const char* const (&ranks)[8]) {
    const std::string border = "  +---+---+---+---+---+---+---+---+\n";
    std::string text = "\n\n" + border;
    for (int row = 0; row < 8; ++row) {
        text += std::to_string(8 - row) + " |";
        for (int file = 0; file < 8; ++file) text += std::string(" ") + ranks[row][file] + " |";
        text += "\n" + border;
    }
    return text + "\n    A   B   C   D   E   F   G   H\n\n";
}

// A book whose only entry gives the start position one move.
inline std::string oneEntryBook(const char* move) { return bookBytes({{START_KEY, packMove(move), 1, 0}}); }
