#include "frontend/settings/ini_reader.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

using Line = char[INI_LINE_SIZE];

// Misuse by the program itself, never by file content: stop loudly rather than guess.
void iniCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "iniReader: assertion failed: %s\n", what);
    std::abort();
}

// Every control character counts as a blank, so both line-end styles trim away alike.
// Bytes from 128 up are kept: they may belong to a name or a value.
bool isBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char* skipBlanks(char* text) {
    while (isBlank(*text)) ++text;
    return text;
}

std::size_t trimmedLength(const char* text, std::size_t length) {
    while (length > 0 && isBlank(text[length - 1])) --length;
    return length;
}

// Names match only at equal length, without regard to ASCII case.
bool sameName(const char* text, std::size_t length, const char* name) {
    if (std::strlen(name) != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (asciiUpper(text[i]) != asciiUpper(name[i])) return false;
    return true;
}

bool readLine(std::FILE* file, Line& line) { return std::fgets(line, INI_LINE_SIZE, file) != nullptr; }

// Reads up to and including the first header [section]; false at the end of the file.
bool enterSection(std::FILE* file, const char* section, Line& line) {
    while (readLine(file, line)) {
        const char* start = skipBlanks(line);
        if (*start != '[') continue;
        const char* close = std::strchr(start + 1, ']');
        if (close != nullptr && sameName(start + 1, static_cast<std::size_t>(close - start - 1), section))
            return true;
    }
    return false;
}

// A key line splits at its first '='; only a line without any '=' splits at its first ':'.
char* findSeparator(char* line) {
    char* separator = std::strchr(line, '=');
    return separator != nullptr ? separator : std::strchr(line, ':');
}

bool isEscapedQuote(const char* text) { return (text[0] == '"' || text[0] == '\\') && text[1] == '"'; }

// Length of the value once an inline comment (';' or '#' outside double quotes) and trailing
// blanks are cut off. An escaped quote neither opens nor closes a quoted stretch.
std::size_t valueLength(const char* value) {
    bool quoted = false;
    std::size_t i = 0;
    for (; value[i] != '\0'; ++i) {
        if (isEscapedQuote(value + i)) {
            ++i;
            continue;
        }
        if (value[i] == '"')
            quoted = !quoted;
        else if (!quoted && (value[i] == ';' || value[i] == '#'))
            break;
    }
    return trimmedLength(value, i);
}

// Copies at most bufferSize - 1 characters and terminates. A value wrapped in double quotes loses
// them, and inside it each escaped quote becomes one quote.
void copyValue(const char* value, std::size_t length, char* buffer, int bufferSize) {
    const auto room = static_cast<std::size_t>(bufferSize - 1);
    std::size_t out = 0;
    if (length >= 2 && value[0] == '"' && value[length - 1] == '"') {
        const char* inner = value + 1;
        const std::size_t innerLength = length - 2;
        for (std::size_t i = 0; i < innerLength && out < room; ++i) {
            if (i + 1 < innerLength && isEscapedQuote(inner + i)) ++i;
            buffer[out++] = inner[i];
        }
    } else {
        out = length < room ? length : room;
        std::memcpy(buffer, value, out);
    }
    buffer[out] = '\0';
}

// The default may be the caller's own buffer, hence memmove.
void copyDefault(const char* text, char* buffer, int bufferSize) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    const auto room = static_cast<std::size_t>(bufferSize - 1);
    const std::size_t kept = length < room ? length : room;
    if (kept > 0) std::memmove(buffer, text, kept);
    buffer[kept] = '\0';
}

}  // namespace

int iniFindKey(std::FILE* file, const char* section, const char* key, char* buffer, int bufferSize) {
    iniCheck(file != nullptr && key != nullptr, "an open file and a key");
    iniCheck(buffer != nullptr && bufferSize > 0, "a buffer with room");
    Line line;
    if (section != nullptr && *section != '\0' && !enterSection(file, section, line)) return 0;
    while (readLine(file, line)) {
        char* start = skipBlanks(line);
        if (*start == '[') return 0;  // the section ends; a later one of the same name is not searched
        if (*start == ';' || *start == '#') continue;
        char* separator = findSeparator(start);
        if (separator == nullptr) continue;
        if (!sameName(start, trimmedLength(start, static_cast<std::size_t>(separator - start)), key)) continue;
        const char* value = skipBlanks(separator + 1);
        copyValue(value, valueLength(value), buffer, bufferSize);
        return 1;
    }
    return 0;
}

int iniGetString(const char* section, const char* key, const char* defValue, char* buffer, int bufferSize,
                 const char* fileName) {
    if (buffer == nullptr || key == nullptr || bufferSize <= 0) return 0;
    int found = 0;
    if (fileName != nullptr) {
        if (std::FILE* file = std::fopen(fileName, "rb")) {
            found = iniFindKey(file, section, key, buffer, bufferSize);
            std::fclose(file);
        }
    }
    if (found != 1) copyDefault(defValue, buffer, bufferSize);
    return static_cast<int>(std::strlen(buffer));
}

std::int64_t iniGetLong(const char* section, const char* key, std::int64_t defValue, const char* fileName) {
    char text[INI_NUMBER_SIZE];
    if (iniGetString(section, key, "", text, INI_NUMBER_SIZE, fileName) == 0) return defValue;
    const int base = text[1] == 'x' || text[1] == 'X' ? 16 : 10;
    return std::strtoll(text, nullptr, base);
}

int iniGetBool(const char* section, const char* key, int defValue, const char* fileName) {
    char text[2];
    iniGetString(section, key, "", text, 2, fileName);
    switch (asciiUpper(text[0])) {
        case '1':
        case 'Y':
        case 'T': return 1;
        case '0':
        case 'N':
        case 'F': return 0;
        default: return defValue;
    }
}
