// Reading a Polyglot opening book: 16-byte big-endian records sorted by position key. Each
// operation opens the file, looks the position up and closes it again; nothing is cached.
#pragma once

#include <cstdint>
#include <cstdio>

#include "book/position_key.h"

struct BookEntry {
    PositionKey key;
    std::uint16_t move;  // packed: to file, to rank, from file, from rank (3 bits each), promotion
    std::uint16_t weight;
    std::uint32_t learn;  // read, never used
};

inline constexpr int BOOK_ENTRY_SIZE = 16;
// The most entries gathered for one position; one more fails the look-up.
inline constexpr int BOOK_MAX_MOVES = 100;
// Four coordinates, an optional promotion letter and the terminator.
inline constexpr int BOOK_MOVE_TEXT_SIZE = 6;

// Reads the record at the file's position. Returns 0 when all 16 bytes were read, 1 at the end of
// the file; the fields read completely before that keep their new values.
int readBookEntry(std::FILE* file, BookEntry& entry);

// Lower-bound binary search reading only the records it probes: fills `entry` with the first
// record whose key is not below `key` (the last record when all are below) and returns its index.
// A file shorter than one record gives -1 and an entry whose key differs from `key`.
std::int32_t findBookKey(std::FILE* file, PositionKey key, BookEntry& entry);

// Coordinate text of a packed move, castling (stored as king takes own rook) rewritten to the
// king's real destination. `text` must hold BOOK_MOVE_TEXT_SIZE bytes.
void bookMoveToText(std::uint16_t move, char* text);

// A book move's text and its share of the position's weights, in percent.
struct BookMoveShare {
    char text[BOOK_MOVE_TEXT_SIZE];
    double share;
};

// The current position's book moves, in file order, into `out` (room for BOOK_MAX_MOVES).
// Returns how many; 0 when the book has none for the position, too many, or cannot be read
// (an unopenable file is reported on standard error). Prints nothing else.
int listBookMoves(const char* fileName, BookMoveShare* out);

// Lists the current position's moves with their share of the weights. 0 on success, 1 on any
// failure (after printing why).
int showBookMoves(const char* fileName);

// Puts a book move for the current position into `text` (BOOK_MOVE_TEXT_SIZE bytes) and returns
// 0, or returns 1 when the book has none. The text is not checked against the position: the
// caller makes it through the move-text reader, which refuses a move the position does not allow.
int chooseBookMove(const char* fileName, char* text);
