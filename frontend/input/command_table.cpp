#include "frontend/input/command_table.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/input/line_input.h"
#include "state/game_state.h"

bool readCommandLine(std::string& line) { return readLine(line) == LineRead::LINE; }

namespace {

bool isMoveText(const std::string& line) {
    return line.size() >= 4 && line[0] >= 'a' && line[0] <= 'h' && line[1] >= '1' && line[1] <= '8' &&
           line[2] >= 'a' && line[2] <= 'h' && line[3] >= '1' && line[3] <= '8';
}

}  // namespace

bool lineMatches(const char* word, Match match, const std::string& line) {
    switch (match) {
        case Match::WHOLE: return line == word;
        case Match::PREFIX: return line.compare(0, std::strlen(word), word) == 0;
        case Match::MOVE: return isMoveText(line);
        case Match::ANY: return true;
    }
    return false;
}

const CommandRow& findCommand(std::span<const CommandRow> table, const std::string& line) {
    for (const CommandRow& row : table)
        if (lineMatches(row.word, row.match, line)) return row;
    return table.back();
}

const char* textFrom(const std::string& line, std::size_t start) {
    return start < line.size() ? line.c_str() + start : "";
}

void runCommandLoop(std::span<const CommandRow> table, void (*engineTurn)(), const char* prompt,
                    bool (*readLine)(std::string& line)) {
    std::string line;
    for (;;) {
        std::fputs(prompt, stdout);
        std::fflush(stdout);
        if (!readLine(line)) break;
        const CommandRow& row = findCommand(table, line);
        row.action(line);
        if (row.then == Then::STOP) break;
        if (row.then == Then::TURN && engineTurn != nullptr) engineTurn();
    }
    gameState.quitRequested = 1;
}

int readNumber(const char* text, int& value, const char** next) {
    while (*text == ' ' || *text == '\t') ++text;
    // strtol would also take a base prefix or blanks after the sign; a number here is plain.
    const char* digits = (*text == '-' || *text == '+') ? text + 1 : text;
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return 0;
    char* end = nullptr;
    errno = 0;
    const long read = std::strtol(text, &end, 10);
    if (errno == ERANGE || read < INT_MIN || read > INT_MAX) return 0;
    value = static_cast<int>(read);
    if (next != nullptr) *next = end;
    return 1;
}

void normalizeBlanks(std::string& line) {
    std::string words;
    bool blank = false;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            blank = !words.empty();
            continue;
        }
        if (blank) words.push_back(' ');
        blank = false;
        words.push_back(c);
    }
    line.swap(words);
}
