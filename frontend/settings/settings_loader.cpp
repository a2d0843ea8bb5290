#include "frontend/settings/settings_loader.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "frontend/settings/ini_reader.h"
#include "search/transposition.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// The record's own initial values are the defaults, so they are written down once.
constexpr EngineSettings DEFAULTS{};
static_assert(DEFAULTS.hashSize == DEFAULT_HASH_MB, "the table a run starts with has the default size");

// Out-of-range numbers fall back to the default before they are narrowed to 32 bits, so a huge
// value cannot wrap into the range.
std::int32_t readRanged(const char* section, const char* key, std::int32_t defValue, std::int64_t low,
                        std::int64_t high, const char* fileName) {
    const std::int64_t value = iniGetLong(section, key, defValue, fileName);
    return value >= low && value <= high ? static_cast<std::int32_t>(value) : defValue;
}

std::int32_t readAnyTime(const char* section, const char* key, std::int32_t defValue, const char* fileName) {
    return readRanged(section, key, defValue, std::numeric_limits<std::int32_t>::min(),
                      std::numeric_limits<std::int32_t>::max(), fileName);
}

void readEngineSection(const char* fileName) {
    EngineSettings& s = engineSettings;
    s.maxDepth = readRanged("ENGINE", "MaxDepth", DEFAULTS.maxDepth, 2, 32, fileName);
    s.maxTime = readAnyTime("ENGINE", "MaxTime", DEFAULTS.maxTime, fileName);
    s.moveTime = s.maxTime;
    timeControl.timeLeft = s.maxTime;
    timeControl.allocatedTime = s.maxTime;
    s.postThinking = iniGetBool("ENGINE", "PostThinking", DEFAULTS.postThinking, fileName);
    const std::int32_t hashSize = readRanged("ENGINE", "Hash", DEFAULTS.hashSize, MIN_HASH_MB, MAX_HASH_MB, fileName);
    s.hashSize = hashSize;
    if (applyHashSize() == 0)
        std::fprintf(stderr, "tarlowick: no memory for a table of %d MB; it stays at %d MB\n", hashSize, s.hashSize);
}

// False when the log was asked for but could not be opened.
bool readLogSection(const char* fileName) {
    EngineSettings& s = engineSettings;
    iniGetString("LOG", "LogFile", DEFAULTS.logFile, s.logFile, SETTING_TEXT_LENGTH, fileName);
    s.logGame = iniGetBool("LOG", "LogGame", DEFAULTS.logGame, fileName);
    closeGameLog();
    return s.logGame != 1 || openGameLog();
}

void readBookSection(const char* fileName) {
    EngineSettings& s = engineSettings;
    iniGetString("BOOK", "BookFile", DEFAULTS.bookFile, s.bookFile, SETTING_TEXT_LENGTH, fileName);
    s.book = iniGetBool("BOOK", "Book", DEFAULTS.book, fileName);
    s.randBook = iniGetBool("BOOK", "RandBook", DEFAULTS.randBook, fileName);
}

void readTimeSection(const char* fileName) {
    EngineSettings& s = engineSettings;
    s.suddenDeath = readRanged("TIME", "SuddenDeath", DEFAULTS.suddenDeath, 20, 40, fileName);
    s.moreTime = readRanged("TIME", "MoreTime", DEFAULTS.moreTime, 5, 15, fileName);
    s.lessTime = readRanged("TIME", "LessTime", DEFAULTS.lessTime, 5, 15, fileName);
    s.fastGame = readRanged("TIME", "FastGame", DEFAULTS.fastGame, 5, 15, fileName);
}

}  // namespace

int applyHashSize() {
    if (hashEntriesFor(engineSettings.hashSize) == hashEntryCount() || resizeHash(engineSettings.hashSize) == 1) return 1;
    engineSettings.hashSize = static_cast<std::int32_t>(hashTableBytes() >> 20);
    return 0;
}

void closeGameLog() {
    if (engineSettings.logStream == nullptr) return;
    std::fclose(engineSettings.logStream);
    engineSettings.logStream = nullptr;
}

// Turning logging off keeps any writer from being handed a missing stream.
bool openGameLog() {
    engineSettings.logStream = std::fopen(engineSettings.logFile, "a");
    if (engineSettings.logStream != nullptr) return true;
    std::perror(engineSettings.logFile);
    engineSettings.logGame = 0;
    return false;
}

void loadSettings(const char* fileName) {
    readEngineSection(fileName);
    if (!readLogSection(fileName)) return;
    readBookSection(fileName);
    readTimeSection(fileName);
}
