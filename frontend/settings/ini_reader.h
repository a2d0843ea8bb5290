// Reading single values from a small INI file. Every getter opens the file, scans it for one key
// in one section, closes it again and falls back to the caller's default; nothing is cached.
#pragma once

#include <cstdint>
#include <cstdio>

// Longest line read whole, line end included; the rest of a longer line is read as a further line.
inline constexpr int INI_LINE_SIZE = 512;
// Room for the text of a number value: at most 63 characters count.
inline constexpr int INI_NUMBER_SIZE = 64;

// Scans `file` from its current position for `key` in the first section named `section` (an
// empty or null section means the lines before the first header). Case is ignored in both names,
// and only names of equal length match. On a match the cleaned value is copied into `buffer`
// (at most bufferSize - 1 characters, always terminated) and 1 is returned; otherwise 0.
int iniFindKey(std::FILE* file, const char* section, const char* key, char* buffer, int bufferSize);

// Puts the value, or `defValue` when the file or the key is missing, into `buffer`, cut to
// bufferSize - 1 characters. Returns the length left in `buffer`. Without a buffer, a key or a
// positive size it returns 0 and writes nothing.
int iniGetString(const char* section, const char* key, const char* defValue, char* buffer, int bufferSize,
                 const char* fileName);

// A decimal value, or hexadecimal when its second character is x or X (0x prefix optional).
// Conversion stops at the first character outside the number, so text that is not a number
// gives 0; an empty or missing value gives `defValue`.
std::int64_t iniGetLong(const char* section, const char* key, std::int64_t defValue, const char* fileName);

// Only the first character counts: 1, Y or T give 1; 0, N or F give 0 (any case); anything
// else, an empty value or a missing key gives `defValue`.
int iniGetBool(const char* section, const char* key, int defValue, const char* fileName);
