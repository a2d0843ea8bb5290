// Comparing a session's output with its expected transcript. Most of a transcript is exact;
// a few placeholders stand for what legitimately varies: the engine's chosen moves, timing.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "tests/book/book_files.h"
#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"

inline constexpr const char* BANNER =
    "tarlowick, a bitboard chess engine\nversion 0.06\nenter 'console' for console mode...\n";

// The console's greeting and prompt, and the configuration most console transcripts run with.
inline constexpr const char* PLAIN_INI = "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nBook=0\n";
inline const std::string WELCOME = "\nWelcome in tarlowick (x86)\ntype \"help\" to show commands list\n";
inline const std::string PROMPT = "\ntarlowick> ";

// A console session in `dir`, which gets the configuration `ini`; returns its output after the
// welcome and the first prompt.
inline std::string consoleSession(const TempDir& dir, const std::string& commands, const char* ini = PLAIN_INI) {
    writeFile(dir.file("tarlowick.ini"), ini);
    const Session session = runSession(dir, "console\n" + commands);
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.status, 0);
    const std::string head = BANNER + WELCOME + PROMPT;
    EXPECT_TRUE(session.output.starts_with(head)) << session.output;
    return session.output.substr(std::min(head.size(), session.output.size()));
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

namespace transcript_detail {

// Placeholders of the expected text:
//   {move}  one coordinate move: four characters, then a promotion letter, a blank or nothing
//   {line}  the text of any one line (up to its line end)
//   {time}  seconds with three decimals
//   {board} one whole board diagram, whatever the pieces
inline constexpr const char* PLACEHOLDERS[] = {"{move}", "{line}", "{time}", "{board}"};

inline const std::string& anyBoard() {
    static const std::string board = diagram({"????????", "????????", "????????", "????????", "????????",
                                              "????????", "????????", "????????"});
    return board;
}

inline bool isBoardLetter(char c) { return c != '\0' && std::strchr(" PCATDRpcatdr", c) != nullptr; }

inline bool isMoveAt(std::string_view text) {
    return text.size() >= 4 && text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8' &&
           text[2] >= 'a' && text[2] <= 'h' && text[3] >= '1' && text[3] <= '8';
}

// Whether `actual` is exactly what `expected` describes. Only {move} has two possible lengths,
// so only it ever tries a second way.
inline bool matches(std::string_view actual, std::string_view expected) {
    while (!expected.empty()) {
        const char* placeholder = nullptr;
        for (const char* name : PLACEHOLDERS)
            if (expected.starts_with(name)) placeholder = name;
        if (placeholder == nullptr) {
            if (actual.empty() || actual.front() != expected.front()) return false;
            actual.remove_prefix(1);
            expected.remove_prefix(1);
            continue;
        }
        expected.remove_prefix(std::strlen(placeholder));
        const std::string_view name = placeholder;
        if (name == "{move}") {
            if (!isMoveAt(actual)) return false;
            actual.remove_prefix(4);
            if (!actual.empty() && std::strchr("nbrq ", actual.front()) != nullptr &&
                matches(actual.substr(1), expected))
                return true;
        } else if (name == "{line}") {
            actual.remove_prefix(std::min(actual.find('\n'), actual.size()));
        } else if (name == "{time}") {
            std::size_t i = 0;
            while (i < actual.size() && std::isdigit(static_cast<unsigned char>(actual[i]))) ++i;
            if (i == 0 || actual.size() < i + 4 || actual[i] != '.') return false;
            for (std::size_t d = i + 1; d < i + 4; ++d)
                if (!std::isdigit(static_cast<unsigned char>(actual[d]))) return false;
            actual.remove_prefix(i + 4);
        } else {
            const std::string& board = anyBoard();
            if (actual.size() < board.size()) return false;
            for (std::size_t i = 0; i < board.size(); ++i)
                if (board[i] == '?' ? !isBoardLetter(actual[i]) : board[i] != actual[i]) return false;
            actual.remove_prefix(board.size());
        }
    }
    return actual.empty();
}

}  // namespace transcript_detail

inline void expectTranscript(const std::string& actual, const std::string& expected) {
    bool placeholders = false;
    for (const char* name : transcript_detail::PLACEHOLDERS) placeholders |= expected.find(name) != std::string::npos;
    if (!placeholders) {
        EXPECT_EQ(actual, expected);  // shows the difference
        return;
    }
    EXPECT_TRUE(transcript_detail::matches(actual, expected)) << "output:\n" << actual << "\nexpected:\n" << expected;
}

// Runs a whole session in a scratch folder holding `files` and checks that the engine replied
// `expected` after its banner and ended by itself with status 0.
inline void expectSessionReplies(const std::map<std::string, std::string>& files, const std::string& input,
                                 const std::string& expected) {
    TempDir dir;
    for (const auto& [name, bytes] : files) writeFile(dir.file(name), bytes);
    const Session session = runSession(dir, input);
    expectTranscript(session.output, BANNER + expected);
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.status, 0);
}
