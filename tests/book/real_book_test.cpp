// Look-ups in a real Polyglot book made by others: Debian's gnuchess-book. The expected entries
// were read from the raw file independently of the engine, and each test checks them against a
// plain scan of the file before it compares what the engine prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/book.h"
#include "book/position_key.h"
#include "book_files.h"
#include "state/settings.h"

namespace {

constexpr const char* REAL_BOOK = "/usr/share/games/gnuchess/book.bin";

struct ExpectedEntry {
    std::uint16_t move;
    const char* text;
    std::uint16_t weight;
};

struct RealCase {
    const char* name;
    const char* moves;
    PositionKey standardKey;  // 0 where the standard lists none
    int enPassantInKey;       // the file whose term the key holds, or -1
    std::vector<ExpectedEntry> entries;
};

const RealCase REAL_CASES[] = {
    {"StartPosition", "", 0x463B96181691FC9CULL, -1,
     {{0x031C, "e2e4", 12135}, {0x02DB, "d2d4", 11257}, {0x0195, "g1f3", 3745}, {0x029A, "c2c4", 3294},
      {0x0396, "g2g3", 243}, {0x0251, "b2b3", 38}, {0x035D, "f2f4", 35}, {0x0052, "b1c3", 16},
      {0x0259, "b2b4", 16}, {0x0314, "e2e3", 7}, {0x02D3, "d2d3", 5}, {0x039E, "g2g4", 4}, {0x0210, "a2a3", 2}}},
    {"AfterE4", "e2e4", 0x823C9B50FD114196ULL, -1,
     {{0x0CA2, "c7c5", 14550}, {0x0D24, "e7e5", 10621}, {0x0D2C, "e7e6", 3913}, {0x0CAA, "c7c6", 2340},
      {0x0CEB, "d7d6", 1135}, {0x0DAE, "g7g6", 922}, {0x0FAD, "g8f6", 860}, {0x0CE3, "d7d5", 303},
      {0x0E6A, "b8c6", 167}, {0x0C69, "b7b6", 48}, {0x0DA6, "g7g5", 12}, {0x0C28, "a7a6", 8}, {0x0DEF, "h7h6", 5}}},
    {"AfterE4D5", "e2e4 d7d5", 0x0756B94461C50FB0ULL, -1, {{0x0723, "e4d5", 821}, {0x0052, "b1c3", 4}}},
    // White pawn on d5 beside the e-pawn that just arrived: the e-file term is in the key.
    {"OldBenoniEnPassantForWhite", "d2d4 c7c5 d4d5 e7e5", 0, 4, {{0x031C, "e2e4", 87}, {0x029A, "c2c4", 19}}},
    // Black pawn on d4 beside the e-pawn that just arrived, black to move.
    {"AlbinEnPassantForBlack", "d2d4 d7d5 c2c4 e7e5 d4e5 d5d4 e2e4", 0, 4, {{0x0E6A, "b8c6", 6}}},
    {"WhiteCastlesShort", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6", 0, -1,
     {{0x0107, "e1g1", 7424}, {0x02D3, "d2d3", 239}, {0x00CC, "d1e2", 175}, {0x02DB, "d2d4", 166},
      {0x0052, "b1c3", 136}, {0x062A, "a4c6", 29}}},
    {"BlackCastlesShort", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7 f1e1 b7b5 a4b3 d7d6 c2c3", 0, -1,
     {{0x0F3F, "e8g8", 1901}, {0x0AA0, "c6a5", 69}, {0x0E9E, "c8g4", 24}}},
    {"WhiteCastlesLong", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 g7g6 c1e3 f8g7 f2f3 e8g8 d1d2 b8c6", 0, -1,
     {{0x015A, "f1c4", 345}, {0x0100, "e1c1", 174}, {0x039E, "g2g4", 93}}},
};

void PrintTo(const RealCase& c, std::ostream* out) { *out << c.name; }

// (move, weight) of every record of `key`, by a plain scan of the whole file.
std::vector<std::pair<std::uint16_t, std::uint16_t>> scanRawFile(const std::string& bytes, PositionKey key) {
    auto byteAt = [&](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])); };
    std::vector<std::pair<std::uint16_t, std::uint16_t>> found;
    for (std::size_t record = 0; record + 16 <= bytes.size(); record += 16) {
        std::uint64_t recordKey = 0;
        for (std::size_t i = 0; i < 8; ++i) recordKey = recordKey << 8 | byteAt(record + i);
        if (recordKey != key) continue;
        found.emplace_back(static_cast<std::uint16_t>(byteAt(record + 8) << 8 | byteAt(record + 9)),
                           static_cast<std::uint16_t>(byteAt(record + 10) << 8 | byteAt(record + 11)));
    }
    return found;
}

std::string expectedListing(const std::vector<ExpectedEntry>& entries) {
    double total = 0;
    for (const ExpectedEntry& e : entries) total += e.weight;
    std::string listing;
    for (const ExpectedEntry& e : entries) {
        char line[64];
        std::snprintf(line, sizeof line, "move=%s weight=%5.2f%%\n", e.text, 100.0 * e.weight / total);
        listing += line;
    }
    return listing;
}

void playMoves(const char* moves) {
    setStartPosition();
    std::istringstream in(moves);
    std::string move;
    while (in >> move) ASSERT_EQ(parseMove(move.c_str()), 1) << move;
}

class RealBook : public testing::TestWithParam<RealCase> {
protected:
    EngineSettings savedSettings = engineSettings;

    void SetUp() override {
        if (!std::filesystem::exists(REAL_BOOK))
            GTEST_SKIP() << REAL_BOOK << " is missing: install Debian's gnuchess-book package";
        engineSettings.postThinking = 0;
        engineSettings.randBook = 0;
    }
    void TearDown() override { engineSettings = savedSettings; }
};

TEST_P(RealBook, ListsTheFilesEntries) {
    const RealCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(playMoves(c.moves));
    const PositionKey key = computePositionKey();
    if (c.standardKey != 0) {
        ASSERT_EQ(key, c.standardKey);
    }

    std::vector<std::pair<std::uint16_t, std::uint16_t>> expectedRaw;
    for (const ExpectedEntry& e : c.entries) expectedRaw.emplace_back(e.move, e.weight);
    ASSERT_EQ(scanRawFile(readFile(REAL_BOOK), key), expectedRaw) << "the book file is not the one expected";

    int result = -1;
    EXPECT_EQ(stdoutOf([&] { result = showBookMoves(REAL_BOOK); }), expectedListing(c.entries));
    EXPECT_EQ(result, 0);
}

TEST_P(RealBook, FirstEntryIsAMoveThePositionAccepts) {
    const RealCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(playMoves(c.moves));
    char text[BOOK_MOVE_TEXT_SIZE] = "";
    ASSERT_EQ(chooseBookMove(REAL_BOOK, text), 0);
    EXPECT_STREQ(text, c.entries.front().text);
    const Position* before = currentPosition;
    EXPECT_EQ(parseMove(text), 1) << text;
    EXPECT_EQ(currentPosition, before + 1);
}

INSTANTIATE_TEST_SUITE_P(Positions, RealBook, testing::ValuesIn(REAL_CASES),
                         [](const testing::TestParamInfo<RealCase>& param) { return std::string(param.param.name); });

TEST(RealBookFile, EnPassantFileEntersTheKey) {
    if (!std::filesystem::exists(REAL_BOOK)) GTEST_SKIP() << REAL_BOOK << " is missing";
    int checked = 0;
    for (const RealCase& c : REAL_CASES) {
        if (c.enPassantInKey < 0) continue;
        ++checked;
        ASSERT_NO_FATAL_FAILURE(playMoves(c.moves));
        ASSERT_EQ(currentPosition->enPassant, c.enPassantInKey) << c.name;
        // The same placement without the right to capture en passant is another book position.
        currentPosition->enPassant = NO_EN_PASSANT;
        int result = -1;
        const std::string printed = stdoutOf([&] { result = showBookMoves(REAL_BOOK); });
        EXPECT_EQ(result, 1) << c.name;
        EXPECT_NE(printed.find(": No such key"), std::string::npos) << c.name << ": " << printed;
    }
    EXPECT_GT(checked, 0) << "the table holds no en-passant position";
}

TEST(RealBookFile, ThousandsOfLookupsKeepWorking) {
    if (!std::filesystem::exists(REAL_BOOK)) GTEST_SKIP() << REAL_BOOK << " is missing";
    const EngineSettings saved = engineSettings;
    engineSettings.postThinking = 0;
    engineSettings.randBook = 1;
    setStartPosition();
    const int before = openDescriptorCount();
    int found = 0;
    for (int i = 0; i < 3000; ++i) {
        char text[BOOK_MOVE_TEXT_SIZE];
        found += chooseBookMove(REAL_BOOK, text) == 0;
    }
    engineSettings = saved;
    EXPECT_EQ(found, 3000);
    EXPECT_EQ(openDescriptorCount(), before);
}

}  // namespace
