#include "frontend/settings/settings_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "state/settings.h"
#include "state/time_control.h"
#include "tests/frontend/support/test_files.h"

namespace {

using IntField = std::int32_t EngineSettings::*;

constexpr std::int32_t SENTINEL = 777;

// Every field holds a value no file gives, so a test sees what the loader itself wrote.
void fillWithSentinels() {
    EngineSettings& s = engineSettings;
    for (IntField field : {&EngineSettings::maxDepth, &EngineSettings::postThinking, &EngineSettings::logGame,
                           &EngineSettings::book, &EngineSettings::randBook, &EngineSettings::maxTime,
                           &EngineSettings::moveTime, &EngineSettings::suddenDeath, &EngineSettings::moreTime,
                           &EngineSettings::lessTime, &EngineSettings::fastGame, &EngineSettings::multiPv,
                           &EngineSettings::threads, &EngineSettings::ponder, &EngineSettings::moveOverhead,
                           &EngineSettings::limitStrength, &EngineSettings::elo})
        s.*field = SENTINEL;
    std::strcpy(s.logFile, "earlier.log");
    std::strcpy(s.bookFile, "earlier.bin");
    timeControl.timeLeft = SENTINEL;
    timeControl.allocatedTime = SENTINEL;
}

void closeLog() {
    if (engineSettings.logStream != nullptr) std::fclose(engineSettings.logStream);
    engineSettings.logStream = nullptr;
}

class LoadSettings : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("tarlowick.ini");

    void SetUp() override {
        closeLog();
        fillWithSentinels();
    }
    void TearDown() override {
        closeLog();
        engineSettings = EngineSettings{};
        timeControl = TimeControl{};
    }
    void load(const std::string& text) {
        writeFile(path, text);
        loadSettings(path.c_str());
    }
};

void expectAllDefaults() {
    const EngineSettings& s = engineSettings;
    EXPECT_EQ(s.maxDepth, 32);
    EXPECT_EQ(s.postThinking, 1);
    EXPECT_STREQ(s.logFile, "tarlowick.log");
    EXPECT_EQ(s.logGame, 0);
    EXPECT_EQ(s.logStream, nullptr);
    EXPECT_STREQ(s.bookFile, "book.bin");
    EXPECT_EQ(s.book, 1);
    EXPECT_EQ(s.randBook, 1);
    EXPECT_EQ(s.maxTime, 360000);
    EXPECT_EQ(s.moveTime, 360000);
    EXPECT_EQ(timeControl.timeLeft, 360000);
    EXPECT_EQ(timeControl.allocatedTime, 360000);
    EXPECT_EQ(s.suddenDeath, 20);
    EXPECT_EQ(s.moreTime, 5);
    EXPECT_EQ(s.lessTime, 5);
    EXPECT_EQ(s.fastGame, 5);
}

TEST_F(LoadSettings, MissingFileGivesEveryDefault) {
    loadSettings(dir.file("absent.ini").c_str());
    expectAllDefaults();
}

TEST_F(LoadSettings, EmptyFileGivesEveryDefault) {
    load("");
    expectAllDefaults();
}

TEST_F(LoadSettings, FileOfDefaultsGivesEveryDefault) {
    loadSettings(TARLOWICK_TEST_DATA "/defaults.ini");
    expectAllDefaults();
}

TEST_F(LoadSettings, FullFileSetsEveryField) {
    loadSettings(TARLOWICK_TEST_DATA "/all-changed.ini");
    const EngineSettings& s = engineSettings;
    EXPECT_EQ(s.maxDepth, 12);
    EXPECT_EQ(s.postThinking, 0);
    EXPECT_STREQ(s.logFile, "my game.log");
    EXPECT_EQ(s.logGame, 0);
    EXPECT_STREQ(s.bookFile, "openings.bin");
    EXPECT_EQ(s.book, 0);
    EXPECT_EQ(s.randBook, 0);
    EXPECT_EQ(s.maxTime, 30000);
    EXPECT_EQ(s.moveTime, 30000);
    EXPECT_EQ(timeControl.timeLeft, 30000);
    EXPECT_EQ(timeControl.allocatedTime, 30000);
    EXPECT_EQ(s.suddenDeath, 40);
    EXPECT_EQ(s.moreTime, 10);
    EXPECT_EQ(s.lessTime, 15);
    EXPECT_EQ(s.fastGame, 7);
}

struct IntCase {
    const char* file;
    IntField field;
    std::int32_t expected;
};

const char* fieldName(IntField field) {
    if (field == &EngineSettings::maxDepth) return "maxDepth";
    if (field == &EngineSettings::maxTime) return "maxTime";
    if (field == &EngineSettings::postThinking) return "postThinking";
    if (field == &EngineSettings::book) return "book";
    if (field == &EngineSettings::randBook) return "randBook";
    if (field == &EngineSettings::suddenDeath) return "suddenDeath";
    if (field == &EngineSettings::moreTime) return "moreTime";
    if (field == &EngineSettings::lessTime) return "lessTime";
    if (field == &EngineSettings::fastGame) return "fastGame";
    if (field == &EngineSettings::multiPv) return "multiPv";
    if (field == &EngineSettings::threads) return "threads";
    if (field == &EngineSettings::ponder) return "ponder";
    if (field == &EngineSettings::moveOverhead) return "moveOverhead";
    if (field == &EngineSettings::limitStrength) return "limitStrength";
    if (field == &EngineSettings::elo) return "elo";
    return "other";
}

TEST_F(LoadSettings, EachNumberKeyKeepsItsRangeAndDefault) {
    const IntCase cases[] = {
        {"[ENGINE]\nMaxDepth=2\n", &EngineSettings::maxDepth, 2},
        {"[ENGINE]\nMaxDepth=32\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nMaxDepth=17\n", &EngineSettings::maxDepth, 17},
        {"[ENGINE]\nMaxDepth=1\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nMaxDepth=33\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nMaxDepth=abc\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nMaxDepth=0x10\n", &EngineSettings::maxDepth, 16},
        {"[ENGINE]\nMaxDepth=4294967298\n", &EngineSettings::maxDepth, 32},
        {"[engine]\nmaxdepth = 12 ; comment\n", &EngineSettings::maxDepth, 12},
        {"[ENGINE]\nMaxDepth: 12\n", &EngineSettings::maxDepth, 12},
        {"MaxDepth=12\n[ENGINE]\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nBook=1\n[ENGINE]\nMaxDepth=12\n", &EngineSettings::maxDepth, 32},
        {"[TIME]\nMaxDepth=12\n", &EngineSettings::maxDepth, 32},
        {"[ENGINE]\nMaxTime=-5\n", &EngineSettings::maxTime, -5},
        {"[ENGINE]\nMaxTime=abc\n", &EngineSettings::maxTime, 0},
        {"[ENGINE]\nMaxTime=0x100\n", &EngineSettings::maxTime, 256},
        {"[ENGINE]\nMaxTime=2147483647\n", &EngineSettings::maxTime, 2147483647},
        {"[ENGINE]\nMaxTime=2147483648\n", &EngineSettings::maxTime, 360000},
        {"[ENGINE]\nPostThinking=no\n", &EngineSettings::postThinking, 0},
        {"[ENGINE]\nPostThinking=Yes\n", &EngineSettings::postThinking, 1},
        {"[ENGINE]\nPostThinking=2\n", &EngineSettings::postThinking, 1},
        {"[ENGINE]\nPostThinking=false\n", &EngineSettings::postThinking, 0},
        {"[BOOK]\nBook=No\n", &EngineSettings::book, 0},
        {"[BOOK]\nBook=maybe\n", &EngineSettings::book, 1},
        {"[BOOK]\nRandBook=0\n", &EngineSettings::randBook, 0},
        {"[BOOK]\nRandBook=t\n", &EngineSettings::randBook, 1},
        {"[TIME]\nSuddenDeath=19\n", &EngineSettings::suddenDeath, 20},
        {"[TIME]\nSuddenDeath=41\n", &EngineSettings::suddenDeath, 20},
        {"[TIME]\nSuddenDeath=40\n", &EngineSettings::suddenDeath, 40},
        {"[TIME]\nSuddenDeath=25\n", &EngineSettings::suddenDeath, 25},
        {"[TIME]\nMoreTime=16\n", &EngineSettings::moreTime, 5},
        {"[TIME]\nMoreTime=4\n", &EngineSettings::moreTime, 5},
        {"[TIME]\nMoreTime=0x0A\n", &EngineSettings::moreTime, 10},
        {"[TIME]\nLessTime=15\n", &EngineSettings::lessTime, 15},
        {"[TIME]\nLessTime=-6\n", &EngineSettings::lessTime, 5},
        {"[TIME]\nFastGame=6\n", &EngineSettings::fastGame, 6},
        {"[TIME]\nFastGame=abc\n", &EngineSettings::fastGame, 5},
        // A key of one section is not read from another.
        {"[ENGINE]\nFastGame=6\n", &EngineSettings::fastGame, 5},
        // The newer keys clamp a number out of range instead of falling back.
        {"[ENGINE]\nMultiPV=3\n", &EngineSettings::multiPv, 3},
        {"[ENGINE]\nMultiPV=0\n", &EngineSettings::multiPv, 1},
        {"[ENGINE]\nMultiPV=999\n", &EngineSettings::multiPv, 256},
        {"[ENGINE]\nMultiPV=abc\n", &EngineSettings::multiPv, 1},
        {"[ENGINE]\nThreads=8\n", &EngineSettings::threads, 1},
        {"[ENGINE]\nPonder=yes\n", &EngineSettings::ponder, 1},
        {"[TIME]\nMoveOverhead=250\n", &EngineSettings::moveOverhead, 250},
        {"[TIME]\nMoveOverhead=-1\n", &EngineSettings::moveOverhead, 0},
        {"[TIME]\nMoveOverhead=99999\n", &EngineSettings::moveOverhead, 10000},
        {"[ENGINE]\nMoveOverhead=250\n", &EngineSettings::moveOverhead, 1000},
        {"[ENGINE]\nLimitStrength=1\n", &EngineSettings::limitStrength, 1},
        {"[ENGINE]\nLimitStrength=perhaps\n", &EngineSettings::limitStrength, 0},
        {"[ENGINE]\nElo=1350\n", &EngineSettings::elo, 1350},
        {"[ENGINE]\nElo=100\n", &EngineSettings::elo, 600},
        {"[ENGINE]\nElo=3500\n", &EngineSettings::elo, 2100},
        {"[ENGINE]\nElo=strong\n", &EngineSettings::elo, 600},  // a word reads as 0, then clamps
        {"[TIME]\nElo=1350\n", &EngineSettings::elo, 2100},
    };
    for (const IntCase& c : cases) {
        fillWithSentinels();
        load(c.file);
        EXPECT_EQ(engineSettings.*c.field, c.expected) << fieldName(c.field) << " from\n" << c.file;
    }
}

TEST_F(LoadSettings, MaxTimeAlsoSetsTheClocks) {
    load("[ENGINE]\nMaxTime=4500\n");
    EXPECT_EQ(engineSettings.maxTime, 4500);
    EXPECT_EQ(engineSettings.moveTime, 4500);
    EXPECT_EQ(timeControl.timeLeft, 4500);
    EXPECT_EQ(timeControl.allocatedTime, 4500);
}

struct TextCase {
    const char* file;
    char (EngineSettings::*field)[SETTING_TEXT_LENGTH];
    std::string expected;
};

TEST_F(LoadSettings, FileNamesAreCleanedAndCut) {
    const std::string longName(150, 'n');
    const TextCase cases[] = {
        {"[LOG]\nLogFile=\"my game.log\"\n", &EngineSettings::logFile, "my game.log"},
        {"[LOG]\nLogFile=x;y\n", &EngineSettings::logFile, "x"},
        {"[LOG]\nLogFile=\n", &EngineSettings::logFile, ""},
        {"[LOG]\n", &EngineSettings::logFile, "tarlowick.log"},
        {"[BOOK]\nBookFile = openings.bin # the big one\n", &EngineSettings::bookFile, "openings.bin"},
        {"[BOOK]\n", &EngineSettings::bookFile, "book.bin"},
    };
    for (const TextCase& c : cases) {
        fillWithSentinels();
        load(c.file);
        EXPECT_EQ(std::string(engineSettings.*c.field), c.expected) << c.file;
    }
    fillWithSentinels();
    load("[LOG]\nLogFile=" + longName + "\n[BOOK]\nBookFile=" + longName + "\n");
    EXPECT_EQ(std::string(engineSettings.logFile), longName.substr(0, 99));
    EXPECT_EQ(std::string(engineSettings.bookFile), longName.substr(0, 99));
}

TEST_F(LoadSettings, LogGameOpensTheLogForAppending) {
    const std::string log = dir.file("game.log");
    writeFile(log, "earlier game\n");
    load("[LOG]\nLogFile=" + log + "\nLogGame=yes\n");
    EXPECT_EQ(engineSettings.logGame, 1);
    ASSERT_NE(engineSettings.logStream, nullptr);
    std::fputs("usermove e2e4\n", engineSettings.logStream);
    std::fflush(engineSettings.logStream);
    EXPECT_EQ(readFile(log), "earlier game\nusermove e2e4\n");
}

TEST_F(LoadSettings, LogGameCreatesAMissingLog) {
    const std::string log = dir.file("new.log");
    load("[LOG]\nLogFile=" + log + "\nLogGame=1\n");
    ASSERT_NE(engineSettings.logStream, nullptr);
    EXPECT_TRUE(std::filesystem::exists(log));
}

TEST_F(LoadSettings, UnopenableLogStopsBeforeTheBookAndTimeKeys) {
    const std::string log = dir.file("no-such-dir/game.log");
    testing::internal::CaptureStderr();
    load("[ENGINE]\nMaxDepth=9\nMaxTime=500\nPostThinking=0\n[LOG]\nLogFile=" + log +
         "\nLogGame=1\n[BOOK]\nBookFile=other.bin\nBook=0\nRandBook=0\n"
         "[TIME]\nSuddenDeath=30\nMoreTime=9\nLessTime=9\nFastGame=9\n");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(error.rfind(log + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), log.size() + 3) << "the system's error text follows the name";
    const EngineSettings& s = engineSettings;
    EXPECT_EQ(s.maxDepth, 9);
    EXPECT_EQ(s.maxTime, 500);
    EXPECT_EQ(s.postThinking, 0);
    EXPECT_EQ(std::string(s.logFile), log);
    // Nothing can be written, so no writer may be handed a stream.
    EXPECT_EQ(s.logStream, nullptr);
    EXPECT_NE(s.logGame, 1);
    EXPECT_STREQ(s.bookFile, "earlier.bin");
    for (IntField field : {&EngineSettings::book, &EngineSettings::randBook, &EngineSettings::suddenDeath,
                           &EngineSettings::moreTime, &EngineSettings::lessTime, &EngineSettings::fastGame})
        EXPECT_EQ(s.*field, SENTINEL) << fieldName(field);
}

TEST_F(LoadSettings, FirstLoadStoppedAtTheLogLeavesDefaults) {
    engineSettings = EngineSettings{};
    testing::internal::CaptureStderr();
    load("[LOG]\nLogFile=" + dir.file("no-such-dir/game.log") + "\nLogGame=1\n[TIME]\nSuddenDeath=30\n");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(engineSettings.suddenDeath, 20);
    EXPECT_STREQ(engineSettings.bookFile, "book.bin");
    EXPECT_EQ(engineSettings.book, 1);
    EXPECT_EQ(engineSettings.randBook, 1);
    EXPECT_EQ(engineSettings.moreTime, 5);
    EXPECT_EQ(engineSettings.lessTime, 5);
    EXPECT_EQ(engineSettings.fastGame, 5);
}

TEST_F(LoadSettings, ReloadReplacesTheLogWithoutLeaking) {
    const std::string first = dir.file("first.log");
    const std::string second = dir.file("second.log");
    load("[LOG]\nLogFile=" + first + "\nLogGame=1\n");
    ASSERT_NE(engineSettings.logStream, nullptr);
    std::fputs("one\n", engineSettings.logStream);  // still buffered
    const int descriptors = openDescriptorCount();
    for (int i = 0; i < 50; ++i) load("[LOG]\nLogFile=" + first + "\nLogGame=1\n");
    EXPECT_EQ(openDescriptorCount(), descriptors);
    EXPECT_EQ(readFile(first), "one\n") << "the replaced stream was closed, so its text reached the file";

    load("[LOG]\nLogFile=" + second + "\nLogGame=1\n");
    ASSERT_NE(engineSettings.logStream, nullptr);
    std::fputs("two\n", engineSettings.logStream);
    load("[LOG]\nLogGame=0\n");
    EXPECT_EQ(engineSettings.logStream, nullptr);
    EXPECT_EQ(openDescriptorCount(), descriptors - 1);
    EXPECT_EQ(readFile(second), "two\n");
    EXPECT_EQ(readFile(first), "one\n");
}

}  // namespace
