// Command lines for both loops: reading them, finding a line's row in a loop's table, and
// reading the numbers that follow a command word.
#pragma once

#include <cstddef>
#include <span>
#include <string>

// How a row recognises its line. Matching is case-sensitive and never skips leading blanks.
enum class Match {
    WHOLE,   // the line is exactly the word
    PREFIX,  // the line starts with the word; arguments follow at fixed positions
    MOVE,    // the first four characters are a coordinate move: letter, digit, letter, digit
    ANY,     // every line: the table's last row
};

// What the loop does once a row has acted.
enum class Then {
    READ,  // read the next line
    TURN,  // give the engine its turn first
    STOP,  // leave the loop
};

struct CommandRow {
    const char* word;
    Match match;
    void (*action)(const std::string& line);
    Then then;
};

// Reads one command line, whatever its length. Returns false at the end of input, and also
// for a last line cut off by it: a command that never got its line end is not acted on.
bool readCommandLine(std::string& line);

// Reads and runs commands until a row says STOP or the input ends, then sets quitRequested.
// `prompt` is printed and standard output flushed before every read; `engineTurn` runs after the
// rows that say TURN. `readLine` supplies the lines, with readCommandLine's results.
void runCommandLoop(std::span<const CommandRow> table, void (*engineTurn)(), const char* prompt,
                    bool (*readLine)(std::string& line) = readCommandLine);

// Whether `line` is matched by `word` under `match`.
bool lineMatches(const char* word, Match match, const std::string& line);

// The first row of `table` the line matches; the table ends with a Match::ANY row.
const CommandRow& findCommand(std::span<const CommandRow> table, const std::string& line);

// The line from character `start` (0-based) on; empty when the line is shorter.
const char* textFrom(const std::string& line, std::size_t start);

// Reads a decimal integer after optional blanks. Returns 1 with `value` set and `next` after the
// digits, or 0 when no number that fits 32 bits starts there (nothing is changed then).
int readNumber(const char* text, int& value, const char** next = nullptr);

// Makes runs of blanks and tabs single blanks and drops them at both ends of `line`.
void normalizeBlanks(std::string& line);
