#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "book_files.h"

namespace {

struct TextCase {
    std::uint16_t move;
    const char* text;
};

TEST(BookMoveToText, DecodesSquaresPromotionsAndCastling) {
    const TextCase cases[] = {
        {0x031C, "e2e4"},   {0x0195, "g1f3"},   {0x0E6A, "b8c6"},
        {0x0000, "a1a1"},   {0x0FFF, "h8h8"},   {0x4C38, "a7a8q"},
        {0x1C38, "a7a8n"},  {0x2C38, "a7a8b"},  {0x3C38, "a7a8r"},
        {0x43C7, "h2h1q"},  {0x5C38, "a7a8"},   {0x7C38, "a7a8"},
        {0x8C38, "a7a8"},  // the unused top bit is ignored
        {0x0107, "e1g1"},   {0x0100, "e1c1"},   {0x0F3F, "e8g8"},
        {0x0F38, "e8c8"},
        // Only the whole text is rewritten: a king's real castling move and a promotion stay.
        {0x0106, "e1g1"},   {0x1107, "e1h1n"},  {0x0F07, "e8h1"},
    };
    for (const TextCase& c : cases) {
        char text[BOOK_MOVE_TEXT_SIZE];
        std::memset(text, '*', sizeof text);
        bookMoveToText(c.move, text);
        EXPECT_STREQ(text, c.text) << std::hex << c.move;
    }
}

class BookFile : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("book.bin");

    std::FILE* openWith(const std::string& bytes) {
        writeFile(path, bytes);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        EXPECT_NE(file, nullptr);
        return file;
    }
};

TEST_F(BookFile, ReadEntryDecodesBigEndianFields) {
    std::FILE* file = openWith(bookBytes({{0x0102030405060708ULL, 0x090A, 0x0B0C, 0x0D0E0F10}}) + "x");
    BookEntry entry{};
    EXPECT_EQ(readBookEntry(file, entry), 0);
    EXPECT_EQ(entry.key, 0x0102030405060708ULL);
    EXPECT_EQ(entry.move, 0x090A);
    EXPECT_EQ(entry.weight, 0x0B0C);
    EXPECT_EQ(entry.learn, 0x0D0E0F10u);
    EXPECT_EQ(readBookEntry(file, entry), 1);
    std::fclose(file);
}

TEST_F(BookFile, ReadEntryCutShortKeepsOnlyWholeFields) {
    const std::string record = bookBytes({{0xFEDCBA9876543210ULL, 0x1234, 0x5678, 0x9ABCDEF0}});
    std::FILE* file = openWith(record.substr(0, 11));
    BookEntry entry{1, 2, 3, 4};
    EXPECT_EQ(readBookEntry(file, entry), 1);
    EXPECT_EQ(entry.key, 0xFEDCBA9876543210ULL);
    EXPECT_EQ(entry.move, 0x1234);
    EXPECT_EQ(entry.weight, 3);
    EXPECT_EQ(entry.learn, 4u);
    std::fclose(file);
}

BookEntry keyed(PositionKey key, std::uint16_t move = 0) { return {key, move, 1, 0}; }

struct SearchCase {
    PositionKey searched;
    std::int32_t index;
    PositionKey foundKey;
};

TEST_F(BookFile, FindKeyIsALowerBoundInUnsignedOrder) {
    // Keys above 2^63 would sort first under a signed comparison.
    const std::vector<BookEntry> book = {
        keyed(5), keyed(20, 1), keyed(20, 2), keyed(20, 3), keyed(0x7FFFFFFFFFFFFFFFULL),
        keyed(0x8000000000000000ULL), keyed(0x8000000000000000ULL), keyed(0xFFFFFFFFFFFFFFF0ULL),
    };
    std::FILE* file = openWith(bookBytes(book));
    const SearchCase cases[] = {
        {0, 0, 5},
        {5, 0, 5},
        {6, 1, 20},
        {20, 1, 20},
        {21, 4, 0x7FFFFFFFFFFFFFFFULL},
        {0x8000000000000000ULL, 5, 0x8000000000000000ULL},
        {0x8000000000000001ULL, 7, 0xFFFFFFFFFFFFFFF0ULL},
        {0xFFFFFFFFFFFFFFFFULL, 7, 0xFFFFFFFFFFFFFFF0ULL},  // all below: the last record
    };
    for (const SearchCase& c : cases) {
        BookEntry entry{};
        EXPECT_EQ(findBookKey(file, c.searched, entry), c.index) << std::hex << c.searched;
        EXPECT_EQ(entry.key, c.foundKey) << std::hex << c.searched;
    }
    std::fclose(file);
}

TEST_F(BookFile, FindKeyFindsTheFirstOfARunAtEitherEnd) {
    for (int before = 0; before < 4; ++before) {
        for (int after = 0; after < 4; ++after) {
            std::vector<BookEntry> book;
            for (int i = 0; i < before; ++i) book.push_back(keyed(100 + i));
            for (int i = 0; i < 5; ++i) book.push_back(keyed(500, static_cast<std::uint16_t>(i)));
            for (int i = 0; i < after; ++i) book.push_back(keyed(900 + i));
            std::FILE* file = openWith(bookBytes(book));
            BookEntry entry{};
            EXPECT_EQ(findBookKey(file, 500, entry), before) << before << " before, " << after << " after";
            EXPECT_EQ(entry.key, 500u);
            EXPECT_EQ(entry.move, 0);
            std::fclose(file);
        }
    }
}

TEST_F(BookFile, FindKeyInAFileShorterThanOneRecord) {
    for (const std::string& bytes : {std::string(), std::string(15, '\x01')}) {
        std::FILE* file = openWith(bytes);
        BookEntry entry{7, 7, 7, 7};
        EXPECT_EQ(findBookKey(file, 42, entry), -1) << bytes.size() << " bytes";
        EXPECT_EQ(entry.key, 43u);
        EXPECT_EQ(entry.move, 0);
        EXPECT_EQ(entry.weight, 0);
        std::fclose(file);
    }
}

TEST_F(BookFile, FindKeyIgnoresARecordCutShortAtTheEnd) {
    const std::string whole = bookBytes({keyed(10), keyed(20), keyed(30)});
    std::FILE* file = openWith(whole + bookBytes({keyed(40)}).substr(0, 9));
    BookEntry entry{};
    EXPECT_EQ(findBookKey(file, 40, entry), 2);
    EXPECT_EQ(entry.key, 30u);
    EXPECT_EQ(findBookKey(file, 20, entry), 1);
    EXPECT_EQ(entry.key, 20u);
    std::fclose(file);
}

// An in-memory file that counts the bytes asked of it, to see how much of a book a look-up reads.
struct CountingFile {
    std::string bytes;
    long position = 0;
    std::size_t bytesRead = 0;
};

ssize_t countingRead(void* cookie, char* buffer, std::size_t size) {
    auto& file = *static_cast<CountingFile*>(cookie);
    const std::size_t left = file.bytes.size() - static_cast<std::size_t>(file.position);
    const std::size_t n = size < left ? size : left;
    std::memcpy(buffer, file.bytes.data() + file.position, n);
    file.position += static_cast<long>(n);
    file.bytesRead += n;
    return static_cast<ssize_t>(n);
}

int countingSeek(void* cookie, off64_t* offset, int whence) {
    auto& file = *static_cast<CountingFile*>(cookie);
    const long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file.position : static_cast<long>(file.bytes.size());
    const long target = base + static_cast<long>(*offset);
    if (target < 0) return -1;
    file.position = target;
    *offset = target;
    return 0;
}

TEST(BookSearch, ReadsOnlyTheRecordsItProbes) {
    constexpr int RECORDS = 1 << 16;
    CountingFile memory;
    std::vector<BookEntry> book;
    for (int i = 0; i < RECORDS; ++i) book.push_back(keyed(static_cast<PositionKey>(i) * 16 + 8));
    memory.bytes = bookBytes(book);
    std::FILE* file = fopencookie(&memory, "rb", {countingRead, nullptr, countingSeek, nullptr});
    ASSERT_NE(file, nullptr);
    // Unbuffered, so the count is what the search asks for, not whole stdio blocks.
    std::setvbuf(file, nullptr, _IONBF, 0);
    for (const PositionKey searched : {PositionKey{8}, PositionKey{16 * 40000 + 8}, PositionKey{16 * 65535 + 9}}) {
        memory.bytesRead = 0;
        BookEntry entry{};
        findBookKey(file, searched, entry);
        // The last record, then one record for each of the 16 halvings.
        EXPECT_LE(memory.bytesRead, 17u * BOOK_ENTRY_SIZE) << searched;
    }
    BookEntry entry{};
    EXPECT_EQ(findBookKey(file, 16 * 40000 + 8, entry), 40000);
    std::fclose(file);
}

}  // namespace
