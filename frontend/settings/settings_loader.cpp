#include "frontend/settings/settings_loader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "frontend/settings/ini_reader.h"
#include "frontend/settings/settings_table.h"
#include "search/transposition.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// The record's own initial values are the defaults, so they are written down once.
constexpr EngineSettings DEFAULTS{};
static_assert(DEFAULTS.hashSize == DEFAULT_HASH_MB, "the table a run starts with has the default size");

// A number out of its range falls back to the default, or is clamped for the settings that
// clamp; before it is narrowed to 32 bits, so a huge value cannot wrap into the range.
std::int32_t readSpin(const Setting& setting, const char* fileName) {
    const std::int32_t defValue = DEFAULTS.*setting.number;
    const std::int64_t value = iniGetLong(setting.section, setting.key, defValue, fileName);
    if (value >= setting.min && value <= setting.max) return static_cast<std::int32_t>(value);
    if (!setting.clamps) return defValue;
    return value < setting.min ? setting.min : setting.max;
}

void readSetting(const Setting& setting, const char* fileName) {
    EngineSettings& s = engineSettings;
    switch (setting.type) {
        case SettingType::SPIN: s.*setting.number = readSpin(setting, fileName); break;
        case SettingType::CHECK:
            s.*setting.number = iniGetBool(setting.section, setting.key, DEFAULTS.*setting.number, fileName);
            break;
        case SettingType::STRING:
            iniGetString(setting.section, setting.key, DEFAULTS.*setting.text, s.*setting.text, SETTING_TEXT_LENGTH,
                         fileName);
            break;
        case SettingType::COMBO: {
            char text[SETTING_TEXT_LENGTH];
            iniGetString(setting.section, setting.key, setting.choices[DEFAULTS.*setting.number], text,
                         SETTING_TEXT_LENGTH, fileName);
            s.*setting.number = DEFAULTS.*setting.number;
            for (int i = 0; setting.choices[i] != nullptr; ++i)
                if (std::strcmp(setting.choices[i], text) == 0) s.*setting.number = i;
            break;
        }
        case SettingType::BUTTON: break;
    }
}

// Every setting whose key is in `section`, in the table's order.
void readSection(const char* section, const char* fileName) {
    for (const Setting& setting : settingsTable())
        if (setting.section != nullptr && std::strcmp(setting.section, section) == 0) readSetting(setting, fileName);
}

void readEngineSection(const char* fileName) {
    readSection("ENGINE", fileName);
    copyMaxTime();
    const std::int32_t hashSize = engineSettings.hashSize;
    if (applyHashSize() == 0)
        std::fprintf(stderr, "tarlowick: no memory for a table of %d MB; it stays at %d MB\n", hashSize,
                     engineSettings.hashSize);
}

// False when the log was asked for but could not be opened.
bool readLogSection(const char* fileName) {
    readSection("LOG", fileName);
    closeGameLog();
    return engineSettings.logGame != 1 || openGameLog();
}

}  // namespace

void copyMaxTime() {
    engineSettings.moveTime = engineSettings.maxTime;
    timeControl.timeLeft = engineSettings.maxTime;
    timeControl.allocatedTime = engineSettings.maxTime;
}

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
    readSection("BOOK", fileName);
    readSection("TIME", fileName);
}
