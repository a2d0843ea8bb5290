#include "book/book.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "state/settings.h"

namespace {

enum class Lookup { FOUND, NO_FILE, NO_SUCH_KEY, TOO_MANY };

struct BookMoves {
    PositionKey key;
    int count;
    BookEntry entries[BOOK_MAX_MOVES];
};

std::uint64_t bigEndian(const unsigned char* bytes, int length) {
    std::uint64_t value = 0;
    for (int i = 0; i < length; ++i) value = value << 8 | bytes[i];
    return value;
}

bool readEntryAt(std::FILE* file, std::int64_t index, BookEntry& entry) {
    return std::fseek(file, static_cast<long>(index * BOOK_ENTRY_SIZE), SEEK_SET) == 0 &&
           readBookEntry(file, entry) == 0;
}

// An entry the caller's key comparison is sure to reject.
std::int32_t notFound(PositionKey key, BookEntry& entry) {
    entry = BookEntry{key + 1, 0, 0, 0};
    return -1;
}

// The entries of `moves.key` in file order; at most BOOK_MAX_MOVES of them.
Lookup gatherFromFile(std::FILE* file, BookMoves& moves) {
    BookEntry entry{};
    const std::int32_t index = findBookKey(file, moves.key, entry);
    if (index < 0 || entry.key != moves.key) return Lookup::NO_SUCH_KEY;
    moves.entries[0] = entry;
    moves.count = 1;
    if (std::fseek(file, static_cast<long>(index + 1) * BOOK_ENTRY_SIZE, SEEK_SET) != 0) return Lookup::FOUND;
    // A record cut short at the end of the file ends the list like a different key does.
    while (readBookEntry(file, entry) == 0 && entry.key == moves.key) {
        if (moves.count == BOOK_MAX_MOVES) return Lookup::TOO_MANY;
        moves.entries[moves.count++] = entry;
    }
    return Lookup::FOUND;
}

// Opens the book for this one look-up and always closes it again: a long match makes thousands.
Lookup gatherBookMoves(const char* fileName, BookMoves& moves) {
    moves.key = computePositionKey();
    moves.count = 0;
    const char* name = fileName != nullptr ? fileName : "";
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        std::perror(name);
        return Lookup::NO_FILE;
    }
    const Lookup result = gatherFromFile(file, moves);
    std::fclose(file);
    return result;
}

std::uint64_t totalWeight(const BookMoves& moves) {
    std::uint64_t total = 0;
    for (int i = 0; i < moves.count; ++i) total += moves.entries[i].weight;
    return total;
}

// Percent of the total weight; a position whose weights are all 0 shares equally.
double weightShare(std::uint16_t weight, std::uint64_t total, int count) {
    if (total == 0) return 100.0 / count;
    return 100.0 * weight / static_cast<double>(total);
}

BookMoveShare shareOf(const BookMoves& moves, int index) {
    BookMoveShare move{};
    bookMoveToText(moves.entries[index].move, move.text);
    move.share = weightShare(moves.entries[index].weight, totalWeight(moves), moves.count);
    return move;
}

void announceBookMove() {
    if (engineSettings.postThinking != 1) return;
    std::printf("0 0 0 0 (move from book)\n");
    if (engineSettings.logGame == 1 && engineSettings.logStream != nullptr)
        std::fprintf(engineSettings.logStream, "0 0 0 0 (move from book)\n");
}

// Uniform over the entries, the weights aside. Reseeded from the calendar second at every choice.
int randomEntry(int count) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return std::rand() % count;
}

}  // namespace

int readBookEntry(std::FILE* file, BookEntry& entry) {
    unsigned char bytes[BOOK_ENTRY_SIZE];
    const std::size_t got = std::fread(bytes, 1, BOOK_ENTRY_SIZE, file);
    if (got >= 8) entry.key = bigEndian(bytes, 8);
    if (got >= 10) entry.move = static_cast<std::uint16_t>(bigEndian(bytes + 8, 2));
    if (got >= 12) entry.weight = static_cast<std::uint16_t>(bigEndian(bytes + 10, 2));
    if (got >= 16) entry.learn = static_cast<std::uint32_t>(bigEndian(bytes + 12, 4));
    return got == BOOK_ENTRY_SIZE ? 0 : 1;
}

std::int32_t findBookKey(std::FILE* file, PositionKey key, BookEntry& entry) {
    if (std::fseek(file, -BOOK_ENTRY_SIZE, SEEK_END) != 0) return notFound(key, entry);
    const long lastStart = std::ftell(file);
    if (lastStart < 0) return notFound(key, entry);
    // Invariant: every record up to `first` has a key below `key`, and `last` is the lowest
    // index known to hold a key not below it (or the last record).
    std::int64_t last = lastStart / BOOK_ENTRY_SIZE;
    std::int64_t first = -1;
    BookEntry lastEntry{};
    if (!readEntryAt(file, last, lastEntry)) return notFound(key, entry);
    while (last - first > 1) {
        const std::int64_t middle = (first + last) / 2;
        BookEntry probe{};
        if (!readEntryAt(file, middle, probe)) return notFound(key, entry);
        if (key <= probe.key) {
            last = middle;
            lastEntry = probe;
        } else {
            first = middle;
        }
    }
    entry = lastEntry;
    return static_cast<std::int32_t>(last);
}

void bookMoveToText(std::uint16_t move, char* text) {
    static constexpr char PROMOTION_LETTERS[] = " nbrq";
    struct Castling {
        const char* stored;
        const char* played;
    };
    static constexpr Castling CASTLINGS[] = {{"e1h1", "e1g1"}, {"e1a1", "e1c1"}, {"e8h8", "e8g8"}, {"e8a8", "e8c8"}};

    text[0] = static_cast<char>('a' + ((move >> 6) & 7));
    text[1] = static_cast<char>('1' + ((move >> 9) & 7));
    text[2] = static_cast<char>('a' + (move & 7));
    text[3] = static_cast<char>('1' + ((move >> 3) & 7));
    const int promotion = (move >> 12) & 7;
    int length = 4;
    if (promotion >= 1 && promotion <= 4) text[length++] = PROMOTION_LETTERS[promotion];
    text[length] = '\0';
    for (const Castling& castling : CASTLINGS) {
        if (std::strcmp(text, castling.stored) == 0) {
            std::memcpy(text, castling.played, 5);
            return;
        }
    }
}

int showBookMoves(const char* fileName) {
    BookMoves moves;
    switch (gatherBookMoves(fileName, moves)) {
        case Lookup::NO_FILE: return 1;
        case Lookup::NO_SUCH_KEY:
            std::printf("%016llx: No such key\n", static_cast<unsigned long long>(moves.key));
            return 1;
        case Lookup::TOO_MANY: std::printf("Too many moves in this position (max=%d)\n", BOOK_MAX_MOVES); return 1;
        case Lookup::FOUND: break;
    }
    for (int i = 0; i < moves.count; ++i) {
        const BookMoveShare move = shareOf(moves, i);
        std::printf("move=%s weight=%5.2f%%\n", move.text, move.share);
    }
    return 0;
}

int listBookMoves(const char* fileName, BookMoveShare* out) {
    BookMoves moves;
    if (gatherBookMoves(fileName, moves) != Lookup::FOUND) return 0;
    for (int i = 0; i < moves.count; ++i) out[i] = shareOf(moves, i);
    return moves.count;
}

int chooseBookMove(const char* fileName, char* text) {
    BookMoves moves;
    switch (gatherBookMoves(fileName, moves)) {
        case Lookup::NO_FILE:
        case Lookup::NO_SUCH_KEY: return 1;
        case Lookup::TOO_MANY:
            std::printf("#DEBUG: Too many moves in this position (max=%d)\n", BOOK_MAX_MOVES);
            return 1;
        case Lookup::FOUND: break;
    }
    announceBookMove();
    const int chosen = engineSettings.randBook == 0 ? 0 : randomEntry(moves.count);
    bookMoveToText(moves.entries[chosen].move, text);
    return 0;
}
