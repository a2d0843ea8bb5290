#include "frontend/settings/ini_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/frontend/support/test_files.h"

namespace {

constexpr int NOT_FOUND = -1;

struct FindCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;  // ignored when `found` is 0
    int found = 1;
};

std::string longLine(char fill, std::size_t length) { return std::string(length, fill); }

class IniFile : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("settings.ini");

    void write(const std::string& text) { writeFile(path, text); }
};

class IniFindKeyFormat : public IniFile, public testing::WithParamInterface<FindCase> {};

TEST_P(IniFindKeyFormat, FindsTheRightValue) {
    const FindCase& c = GetParam();
    write(c.file);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char buffer[1024];
    std::memset(buffer, '*', sizeof buffer);
    const int found = iniFindKey(file, c.section, c.key, buffer, sizeof buffer);
    std::fclose(file);
    ASSERT_EQ(found, c.found);
    if (found == 1) {
        EXPECT_EQ(std::string(buffer), c.expected);
    }
}

const FindCase FORMAT_CASES[] = {
    {"Plain", "[ENGINE]\nMaxDepth=12\n", "ENGINE", "MaxDepth", "12"},
    {"NamesIgnoreCase", "[engine]\nmaxdepth = 12 ; comment\n", "ENGINE", "MaxDepth", "12"},
    {"SectionOfOtherLength", "[ENGINE2]\nMaxDepth=12\n", "ENGINE", "MaxDepth", "", 0},
    {"KeyIsNotAPrefix", "[ENGINE]\nMaxDepth2=5\nMax=6\nMaxDepth=7\n", "ENGINE", "MaxDepth", "7"},
    {"ColonSeparator", "[ENGINE]\nMaxDepth: 12\n", "ENGINE", "MaxDepth", "12"},
    {"EqualsBeforeColon", "[S]\na:b=c\n", "S", "a:b", "c"},
    {"ColonAfterEqualsStaysInValue", "[S]\na=b:c\n", "S", "a", "b:c"},
    {"ColonKeyIsNotCutAtColon", "[S]\na:b=c\n", "S", "a", "", 0},
    {"BlanksAndCrLf", "  \t[ENGINE]\r\n\t MaxDepth\t=\t 7 \r\n", "ENGINE", "MaxDepth", "7"},
    {"LastLineWithoutLineEnd", "[ENGINE]\nMaxDepth=9", "ENGINE", "MaxDepth", "9"},
    {"CommentLinesSkipped", "[ENGINE]\n;MaxDepth=5\n  # MaxDepth=6\nMaxDepth=7\n", "ENGINE", "MaxDepth", "7"},
    {"LinesWithoutSeparatorSkipped", "[ENGINE]\nMaxDepth\nMaxDepth=8\n", "ENGINE", "MaxDepth", "8"},
    {"FirstMatchWins", "[ENGINE]\nMaxDepth=1\nmaxdepth=2\n", "ENGINE", "MaxDepth", "1"},
    {"OnlyFirstSectionSearched", "[ENGINE]\nA=1\n[ENGINE]\nMaxDepth=9\n", "ENGINE", "MaxDepth", "", 0},
    {"NextHeaderEndsSection", "[ENGINE]\n[BOOK]\nMaxDepth=3\n", "ENGINE", "MaxDepth", "", 0},
    {"UnclosedBracketEndsSection", "[ENGINE]\n[broken\nMaxDepth=3\n", "ENGINE", "MaxDepth", "", 0},
    {"UnclosedBracketIsNoHeader", "[ENGINE\nMaxDepth=3\n", "ENGINE", "MaxDepth", "", 0},
    {"KeyBeforeFirstHeaderNotInSection", "MaxDepth=9\n[ENGINE]\nA=1\n", "ENGINE", "MaxDepth", "", 0},
    {"KeyBeforeFirstHeaderWithoutSection", "MaxDepth=9\n[ENGINE]\nMaxDepth=1\n", "", "MaxDepth", "9"},
    {"NoSectionStopsAtFirstHeader", "[ENGINE]\nMaxDepth=1\n", "", "MaxDepth", "", 0},
    {"TextAfterBracketIgnored", "[ENGINE] ; engine keys\nMaxDepth=4\n", "ENGINE", "MaxDepth", "4"},
    {"BlanksInsideBracketsCount", "[ ENGINE ]\nMaxDepth=4\n", "ENGINE", "MaxDepth", "", 0},
    {"BlankSectionNameMatchesExactly", "[ ENGINE ]\nMaxDepth=4\n", " engine ", "MaxDepth", "4"},
    {"EmptyValue", "[S]\nK=\n", "S", "K", ""},
    {"ValueBlanksTrimmed", "[S]\nK =   spaced  value \t \n", "S", "K", "spaced  value"},
    {"InlineSemicolonComment", "[LOG]\nLogFile=x;y\n", "LOG", "LogFile", "x"},
    {"InlineHashComment", "[LOG]\nLogFile=x # y\n", "LOG", "LogFile", "x"},
    {"QuotesRemoved", "[LOG]\nLogFile=\"my log.txt\"\n", "LOG", "LogFile", "my log.txt"},
    {"CommentCharsInsideQuotesKept", "[S]\nK=\"a;b#c\" ; real comment\n", "S", "K", "a;b#c"},
    {"EscapedQuotesUnescaped", "[S]\nK=\"say \\\"hi\\\" \"\"now\"\"\"\n", "S", "K", "say \"hi\" \"now\""},
    {"EscapedQuoteDoesNotOpenQuotes", "[S]\nK=a\\\"b;c\n", "S", "K", "a\\\"b"},
    {"PairOfQuotesDoesNotOpenQuotes", "[S]\nK=a\"\"b;c\n", "S", "K", "a\"\"b"},
    {"UnmatchedQuoteHidesComment", "[S]\nK=a\"b;c\n", "S", "K", "a\"b;c"},
    {"QuotesNotAtBothEndsKept", "[S]\nK=a\"b\"\n", "S", "K", "a\"b\""},
    {"LoneQuoteKept", "[S]\nK=\"\n", "S", "K", "\""},
    {"EmptyQuotedValue", "[S]\nK=\"\"\n", "S", "K", ""},
    {"HighBytesAreNotBlanks", "[S]\nK=\xE9t\xE9\n", "S", "K", "\xE9t\xE9"},
    {"HighByteKeepsKeyLength", "[S]\nK\xA0=1\nK=2\n", "S", "K", "2"},
    // A line longer than the line buffer goes on as a further line.
    {"RestOfLongLineIsAFurtherLine", "[S]\n;" + longLine('x', 510) + "K=5\n", "S", "K", "5"},
    {"LongValueCutAtLineBuffer", "[S]\nK=" + longLine('a', 2000) + "\n", "S", "K", longLine('a', 509)},
};

INSTANTIATE_TEST_SUITE_P(Rules, IniFindKeyFormat, testing::ValuesIn(FORMAT_CASES),
                         [](const testing::TestParamInfo<FindCase>& param) { return std::string(param.param.name); });

TEST_F(IniFile, FindKeyCutsToBufferAndTerminates) {
    write("[S]\nK=abcdef\nQ=\"ab\"\"cd\"\n");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char buffer[8];
    std::memset(buffer, '*', sizeof buffer);
    EXPECT_EQ(iniFindKey(file, "S", "K", buffer, 4), 1);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], '*');
    std::rewind(file);
    EXPECT_EQ(iniFindKey(file, "S", "Q", buffer, 4), 1);
    EXPECT_STREQ(buffer, "ab\"");
    std::rewind(file);
    EXPECT_EQ(iniFindKey(file, "S", "K", buffer, 1), 1);
    EXPECT_STREQ(buffer, "");
    std::fclose(file);
}

TEST_F(IniFile, GetStringGivesValueOrDefault) {
    write("[LOG]\nLogFile=game.log\n");
    char buffer[100];
    EXPECT_EQ(iniGetString("LOG", "LogFile", "fallback", buffer, sizeof buffer, path.c_str()), 8);
    EXPECT_STREQ(buffer, "game.log");
    EXPECT_EQ(iniGetString("LOG", "Missing", "fallback", buffer, sizeof buffer, path.c_str()), 8);
    EXPECT_STREQ(buffer, "fallback");
    EXPECT_EQ(iniGetString("LOG", "LogFile", "fallback", buffer, sizeof buffer, dir.file("none.ini").c_str()), 8);
    EXPECT_STREQ(buffer, "fallback");
    EXPECT_EQ(iniGetString("LOG", "LogFile", "fallback", buffer, 5, dir.file("none.ini").c_str()), 4);
    EXPECT_STREQ(buffer, "fall");
    EXPECT_EQ(iniGetString("LOG", "LogFile", "fallback", buffer, 5, path.c_str()), 4);
    EXPECT_STREQ(buffer, "game");
    EXPECT_EQ(iniGetString("LOG", "Missing", nullptr, buffer, sizeof buffer, path.c_str()), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(IniFile, GetStringWithoutRoomTouchesNothing) {
    write("[LOG]\nLogFile=game.log\n");
    char buffer[8] = "intact";
    EXPECT_EQ(iniGetString("LOG", "LogFile", "d", buffer, 0, path.c_str()), 0);
    EXPECT_EQ(iniGetString("LOG", "LogFile", "d", buffer, -1, path.c_str()), 0);
    EXPECT_EQ(iniGetString("LOG", nullptr, "d", buffer, sizeof buffer, path.c_str()), 0);
    EXPECT_EQ(iniGetString("LOG", "LogFile", "d", nullptr, sizeof buffer, path.c_str()), 0);
    EXPECT_STREQ(buffer, "intact");
}

TEST_F(IniFile, GetStringAcceptsItsBufferAsDefault) {
    write("[LOG]\n");
    char buffer[8] = "current";
    EXPECT_EQ(iniGetString("LOG", "LogFile", buffer + 1, buffer, sizeof buffer, path.c_str()), 6);
    EXPECT_STREQ(buffer, "urrent");
}

struct LongCase {
    const char* value;
    std::int64_t expected;
};

TEST_F(IniFile, GetLongConvertsDecimalAndHex) {
    const LongCase cases[] = {
        {"12", 12},      {"-7", -7},       {"0x0A", 10}, {"0X1f", 31}, {"1x5", 1},
        {"abc", 0},      {"12abc", 12},    {"x", 0},     {"0x", 0},    {"360000 ; centiseconds", 360000},
        {"\"42\"", 42},  {"4294967298", 4294967298LL},
    };
    for (const LongCase& c : cases) {
        write(std::string("[ENGINE]\nMaxDepth=") + c.value + "\n");
        EXPECT_EQ(iniGetLong("ENGINE", "MaxDepth", 99, path.c_str()), c.expected) << c.value;
    }
}

TEST_F(IniFile, GetLongFallsBackOnlyWithoutText) {
    write("[ENGINE]\nEmpty=\nComment= ; nothing\n");
    EXPECT_EQ(iniGetLong("ENGINE", "Empty", 99, path.c_str()), 99);
    EXPECT_EQ(iniGetLong("ENGINE", "Comment", 99, path.c_str()), 99);
    EXPECT_EQ(iniGetLong("ENGINE", "Missing", 99, path.c_str()), 99);
    EXPECT_EQ(iniGetLong("ENGINE", "Empty", 99, dir.file("none.ini").c_str()), 99);
}

TEST_F(IniFile, GetLongReadsAtMostSixtyThreeCharacters) {
    write("[ENGINE]\nN=" + longLine('0', 62) + "12\n");
    EXPECT_EQ(iniGetLong("ENGINE", "N", 99, path.c_str()), 1);
}

struct BoolCase {
    const char* value;
    int expected;  // with default 7
};

TEST_F(IniFile, GetBoolReadsTheFirstCharacter) {
    const BoolCase cases[] = {
        {"1", 1},      {"yes", 1}, {"Yes", 1}, {"Y", 1}, {"true", 1}, {"T", 1}, {"0", 0},
        {"no", 0},     {"No", 0},  {"n", 0},   {"False", 0}, {"f", 0}, {"2", 7}, {"on", 7},
        {"\"yes\"", 1}, {"", 7},
    };
    for (const BoolCase& c : cases) {
        write(std::string("[ENGINE]\nPostThinking=") + c.value + "\n");
        EXPECT_EQ(iniGetBool("ENGINE", "PostThinking", 7, path.c_str()), c.expected) << c.value;
    }
    EXPECT_EQ(iniGetBool("ENGINE", "Missing", 7, path.c_str()), 7);
    EXPECT_EQ(iniGetBool("ENGINE", "PostThinking", 7, dir.file("none.ini").c_str()), 7);
}

TEST_F(IniFile, EveryGetterClosesTheFile) {
    write("[S]\nText=abc\nNumber=5\nFlag=yes\n");
    const int before = openDescriptorCount();
    char buffer[16];
    for (int i = 0; i < 200; ++i) {
        iniGetString("S", "Text", "", buffer, sizeof buffer, path.c_str());
        iniGetString("S", "Missing", "", buffer, sizeof buffer, path.c_str());
        iniGetLong("S", "Number", 0, path.c_str());
        iniGetBool("S", "Flag", 0, path.c_str());
    }
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(IniReaderDeath, FindKeyWithoutBufferStopsNamingTheModule) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_DEATH(iniFindKey(file, "S", "K", nullptr, 10), "iniReader");
    std::fclose(file);
}

}  // namespace
