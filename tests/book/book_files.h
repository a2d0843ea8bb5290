// Hand-made Polyglot books for the tests, written byte by byte in the file's big-endian layout.
#pragma once

#include "tests/support/capture_stdout.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "book/book.h"
#include "tests/frontend/support/test_files.h"

// The Polyglot key of the initial position.
inline constexpr PositionKey START_KEY = 0x463B96181691FC9CULL;

inline void appendBigEndian(std::string& bytes, std::uint64_t value, int length) {
    for (int shift = 8 * (length - 1); shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift));
}

inline std::string bookBytes(const std::vector<BookEntry>& entries) {
    std::string bytes;
    for (const BookEntry& e : entries) {
        appendBigEndian(bytes, e.key, 8);
        appendBigEndian(bytes, e.move, 2);
        appendBigEndian(bytes, e.weight, 2);
        appendBigEndian(bytes, e.learn, 4);
    }
    return bytes;
}

// Packed move from coordinate text such as "e2e4" or "a7a8q".
inline std::uint16_t packMove(const char* text, int promotion = 0) {
    const int fromFile = text[0] - 'a', fromRank = text[1] - '1', toFile = text[2] - 'a', toRank = text[3] - '1';
    return static_cast<std::uint16_t>(promotion << 12 | fromRank << 9 | fromFile << 6 | toRank << 3 | toFile);
}


template <typename Call>
std::string stderrOf(Call call) {
    testing::internal::CaptureStderr();
    call();
    return testing::internal::GetCapturedStderr();
}
