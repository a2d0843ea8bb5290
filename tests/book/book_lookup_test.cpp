#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "book/position_key.h"
#include "book_files.h"
#include "state/settings.h"

namespace {

// Moves of the start position with the given weights, each in turn.
std::vector<BookEntry> startEntries(int count, std::uint16_t weight = 1) {
    static const char* const MOVES[] = {"e2e4", "d2d4", "c2c4", "g1f3", "b1c3", "f2f4", "g2g3", "b2b3"};
    std::vector<BookEntry> entries;
    for (int i = 0; i < count; ++i) entries.push_back({START_KEY, packMove(MOVES[i % 8]), weight, 0});
    return entries;
}

// The start position's entries between neighbours with a lower and a higher key.
std::vector<BookEntry> surrounded(const std::vector<BookEntry>& entries) {
    std::vector<BookEntry> book = {{START_KEY - 1, packMove("a2a3"), 9, 0}, {START_KEY - 1, packMove("a2a4"), 9, 0}};
    book.insert(book.end(), entries.begin(), entries.end());
    book.push_back({START_KEY + 1, packMove("h2h3"), 9, 0});
    return book;
}

class BookLookup : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("book.bin");
    EngineSettings savedSettings = engineSettings;

    void SetUp() override {
        setStartPosition();
        ASSERT_EQ(computePositionKey(), START_KEY);
        engineSettings.postThinking = 0;
        engineSettings.logGame = 0;
        engineSettings.randBook = 0;
    }
    void TearDown() override { engineSettings = savedSettings; }

    void writeBook(const std::vector<BookEntry>& entries) { writeFile(path, bookBytes(entries)); }
    std::string show() {
        int result = -1;
        const std::string printed = stdoutOf([&] { result = showBookMoves(path.c_str()); });
        lastResult = result;
        return printed;
    }
    std::string choose(char* text) {
        int result = -1;
        const std::string printed = stdoutOf([&] { result = chooseBookMove(path.c_str(), text); });
        lastResult = result;
        return printed;
    }
    int lastResult = -1;
};

TEST_F(BookLookup, SharesOfTheWeights) {
    writeBook(surrounded({{START_KEY, packMove("e2e4"), 30, 0}, {START_KEY, packMove("d2d4"), 10, 0}}));
    EXPECT_EQ(show(), "move=e2e4 weight=75.00%\nmove=d2d4 weight=25.00%\n");
    EXPECT_EQ(lastResult, 0);
}

TEST_F(BookLookup, WeightsSummingToZeroShareEqually) {
    writeBook(surrounded(startEntries(3, 0)));
    EXPECT_EQ(show(), "move=e2e4 weight=33.33%\nmove=d2d4 weight=33.33%\nmove=c2c4 weight=33.33%\n");
    EXPECT_EQ(lastResult, 0);
}

TEST_F(BookLookup, LargeWeightsDoNotOverflowTheSum) {
    writeBook({{START_KEY, packMove("e2e4"), 65535, 0}, {START_KEY, packMove("d2d4"), 65535, 0}});
    EXPECT_EQ(show(), "move=e2e4 weight=50.00%\nmove=d2d4 weight=50.00%\n");
}

TEST_F(BookLookup, HundredEntriesAreListedWherever) {
    // The run at the end of the file and in its middle, so both ways of stopping are crossed.
    for (const bool atEnd : {true, false}) {
        std::vector<BookEntry> book = startEntries(100);
        book.insert(book.begin(), {START_KEY - 5, packMove("a2a3"), 1, 0});
        if (!atEnd) book.push_back({START_KEY + 5, packMove("a2a3"), 1, 0});
        writeBook(book);
        const std::string printed = show();
        EXPECT_EQ(lastResult, 0);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 100);
        EXPECT_EQ(printed.find("a2a3"), std::string::npos);
        EXPECT_EQ(printed.rfind("move=g1f3 weight= 1.00%\n"), printed.size() - 24);
        char text[BOOK_MOVE_TEXT_SIZE] = "";
        EXPECT_EQ(choose(text), "");
        EXPECT_EQ(lastResult, 0);
        EXPECT_STREQ(text, "e2e4");
    }
}

TEST_F(BookLookup, HundredAndOneEntriesAreTooMany) {
    for (const bool atEnd : {true, false}) {
        std::vector<BookEntry> book = startEntries(101);
        if (!atEnd) book.push_back({START_KEY + 5, packMove("a2a3"), 1, 0});
        writeBook(book);
        EXPECT_EQ(show(), "Too many moves in this position (max=100)\n");
        EXPECT_EQ(lastResult, 1);
        char text[BOOK_MOVE_TEXT_SIZE] = "none";
        engineSettings.postThinking = 1;
        EXPECT_EQ(choose(text), "#DEBUG: Too many moves in this position (max=100)\n");
        EXPECT_EQ(lastResult, 1);
        EXPECT_STREQ(text, "none");
    }
}

TEST_F(BookLookup, KeyNotInTheBook) {
    const std::vector<std::string> books = {
        "",                                                    // empty file
        std::string(10, '\0'),                                 // shorter than one record
        bookBytes({{START_KEY - 1, packMove("e2e4"), 1, 0}}),  // only lower keys
        bookBytes({{START_KEY + 1, packMove("e2e4"), 1, 0}}),  // only higher keys
        bookBytes({{START_KEY - 1, packMove("e2e4"), 1, 0}, {START_KEY + 1, packMove("e2e4"), 1, 0}}),
        bookBytes({{START_KEY ^ (1ULL << 63), packMove("e2e4"), 1, 0}}),
    };
    engineSettings.postThinking = 1;
    for (const std::string& bytes : books) {
        writeFile(path, bytes);
        EXPECT_EQ(show(), "463b96181691fc9c: No such key\n") << bytes.size() << " bytes";
        EXPECT_EQ(lastResult, 1);
        char text[BOOK_MOVE_TEXT_SIZE] = "none";
        EXPECT_EQ(choose(text), "") << bytes.size() << " bytes";
        EXPECT_EQ(lastResult, 1);
        EXPECT_STREQ(text, "none");
    }
}

TEST_F(BookLookup, RecordCutShortEndsTheList) {
    const std::string bytes = bookBytes(startEntries(3));
    writeFile(path, bytes.substr(0, bytes.size() - 3));
    EXPECT_EQ(show(), "move=e2e4 weight=50.00%\nmove=d2d4 weight=50.00%\n");
    EXPECT_EQ(lastResult, 0);
}

TEST_F(BookLookup, MissingFileIsReportedEveryTime) {
    path = dir.file("absent.bin");
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string printed;
        const std::string error = stderrOf([&] { printed = show(); });
        EXPECT_EQ(lastResult, 1);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        char text[BOOK_MOVE_TEXT_SIZE] = "none";
        const std::string chooseError = stderrOf([&] { printed = choose(text); });
        EXPECT_EQ(lastResult, 1);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(chooseError, error);
        EXPECT_STREQ(text, "none");
    }
}

TEST_F(BookLookup, FirstEntryWithoutRandomChoice) {
    writeBook(surrounded({{START_KEY, packMove("g1f3"), 1, 0}, {START_KEY, packMove("e2e4"), 60000, 0}}));
    for (int i = 0; i < 5; ++i) {
        char text[BOOK_MOVE_TEXT_SIZE] = "";
        choose(text);
        EXPECT_EQ(lastResult, 0);
        EXPECT_STREQ(text, "g1f3");
    }
}

TEST_F(BookLookup, RandomChoiceStaysAmongThePositionsEntries) {
    engineSettings.randBook = 1;
    writeBook(surrounded(startEntries(8)));
    const std::set<std::string> moves = {"e2e4", "d2d4", "c2c4", "g1f3", "b1c3", "f2f4", "g2g3", "b2b3"};
    for (int i = 0; i < 20; ++i) {
        char text[BOOK_MOVE_TEXT_SIZE] = "";
        choose(text);
        EXPECT_EQ(lastResult, 0);
        EXPECT_TRUE(moves.count(text)) << text;
    }
}

TEST_F(BookLookup, ThinkingLineAndItsLogLine) {
    writeBook(startEntries(2));
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    engineSettings.logStream = log;
    struct Case {
        std::int32_t postThinking, logGame;
        const char* printed;
        const char* logged;
    };
    const Case cases[] = {
        {1, 1, "0 0 0 0 (move from book)\n", "0 0 0 0 (move from book)\n"},
        {1, 0, "0 0 0 0 (move from book)\n", ""},
        {0, 1, "", ""},
        {2, 1, "", ""},
    };
    for (const Case& c : cases) {
        engineSettings.postThinking = c.postThinking;
        engineSettings.logGame = c.logGame;
        const long logStart = std::ftell(log);
        char text[BOOK_MOVE_TEXT_SIZE] = "";
        EXPECT_EQ(choose(text), c.printed) << c.postThinking << " " << c.logGame;
        std::fflush(log);
        std::string logged(static_cast<std::size_t>(std::ftell(log) - logStart), '\0');
        std::fseek(log, logStart, SEEK_SET);
        EXPECT_EQ(std::fread(logged.data(), 1, logged.size(), log), logged.size());
        EXPECT_EQ(logged, c.logged) << c.postThinking << " " << c.logGame;
        std::fseek(log, 0, SEEK_END);
    }
    engineSettings.logStream = nullptr;
    std::fclose(log);
}

TEST_F(BookLookup, MoveThePositionRefusesIsNotPlayed) {
    for (const std::int32_t first : {0, 1}) {
        std::vector<BookEntry> book = {{START_KEY, packMove(first == 0 ? "e2e5" : "e1h1"), 1, 0}};
        writeBook(book);
        const Position before = *currentPosition;
        Position* const top = currentPosition;
        char text[BOOK_MOVE_TEXT_SIZE] = "";
        choose(text);
        ASSERT_EQ(lastResult, 0);
        EXPECT_STREQ(text, first == 0 ? "e2e5" : "e1g1");
        EXPECT_EQ(parseMove(text), 0) << text;
        EXPECT_EQ(currentPosition, top);
        EXPECT_EQ(std::memcmp(currentPosition, &before, sizeof before), 0);
    }
}

TEST_F(BookLookup, EveryLookupClosesTheBook) {
    writeBook(surrounded(startEntries(3)));
    const std::string tooMany = dir.file("too-many.bin");
    writeFile(tooMany, bookBytes(startEntries(101)));
    const std::string noKey = dir.file("no-key.bin");
    writeFile(noKey, bookBytes({{START_KEY + 1, packMove("e2e4"), 1, 0}}));
    const int before = openDescriptorCount();
    stdoutOf([&] {
        for (int i = 0; i < 300; ++i) {
            char text[BOOK_MOVE_TEXT_SIZE];
            for (const std::string& book : {path, tooMany, noKey}) {
                showBookMoves(book.c_str());
                chooseBookMove(book.c_str(), text);
            }
        }
    });
    EXPECT_EQ(openDescriptorCount(), before);
}

}  // namespace
