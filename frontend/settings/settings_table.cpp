#include "frontend/settings/settings_table.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "frontend/input/command_table.h"
#include "frontend/session/variant.h"
#include "frontend/settings/settings_loader.h"
#include "search/strength.h"
#include "search/transposition.h"
#include "state/time_control.h"

namespace {

constexpr EngineSettings DEFAULTS{};

// The table takes its new size at once; a size the memory cannot hold keeps the old table.
void resizeTable(SettingMessage message) {
    const int wanted = engineSettings.hashSize;
    if (applyHashSize() == 0)
        message("no memory for a table of " + std::to_string(wanted) + " MB; it stays at " +
                std::to_string(engineSettings.hashSize) + " MB");
}

// The game log follows its two settings at once, as a reload of the configuration would.
void reopenGameLog(SettingMessage message) {
    closeGameLog();
    if (engineSettings.logGame == 1 && !openGameLog())
        message(std::string("cannot open the game log ") + engineSettings.logFile);
}

// As a reload of the configuration does: the longest search is also the clock until a front
// end sends one.
void maxTimeChanged(SettingMessage) { copyMaxTime(); }

void clearTable(SettingMessage) { clearHash(); }

void chess960Changed(SettingMessage) {
    if (engineSettings.uciChess960 == 1)
        playChess960(CastlingText::KING_TAKES_ROOK);
    else
        playStandardChess();
}

using S = EngineSettings;
constexpr std::int32_t ANY_MIN = INT32_MIN, ANY_MAX = INT32_MAX;

// The first seven rows are in the order UCI front ends have always been shown them.
constexpr Setting SETTINGS[] = {
    {"Hash", SettingType::SPIN, &S::hashSize, nullptr, MIN_HASH_MB, MAX_HASH_MB, "ENGINE", "Hash", false,
     SHOWN_IN_BOTH, resizeTable, nullptr},
    // The GUI asks for pondering with "go ponder"; the setting only tells it the engine can.
    // xboard has "hard" and "easy" for it.
    {"Ponder", SettingType::CHECK, &S::ponder, nullptr, 0, 1, "ENGINE", "Ponder", false, SHOWN_IN_UCI, nullptr,
     nullptr},
    {"OwnBook", SettingType::CHECK, &S::book, nullptr, 0, 1, "BOOK", "Book", false, SHOWN_IN_BOTH, nullptr, nullptr},
    {"BookFile", SettingType::STRING, nullptr, &S::bookFile, 0, 0, "BOOK", "BookFile", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"BookRandom", SettingType::CHECK, &S::randBook, nullptr, 0, 1, "BOOK", "RandBook", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"GameLog", SettingType::CHECK, &S::logGame, nullptr, 0, 1, "LOG", "LogGame", false, SHOWN_IN_BOTH, reopenGameLog,
     nullptr},
    {"LogFile", SettingType::STRING, nullptr, &S::logFile, 0, 0, "LOG", "LogFile", false, SHOWN_IN_BOTH, reopenGameLog,
     nullptr},
    {"MultiPV", SettingType::SPIN, &S::multiPv, nullptr, 1, 256, "ENGINE", "MultiPV", true, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"Clear Hash", SettingType::BUTTON, nullptr, nullptr, 0, 0, nullptr, nullptr, false, SHOWN_IN_BOTH, clearTable,
     nullptr},
    {"Move Overhead", SettingType::SPIN, &S::moveOverhead, nullptr, 0, 10000, "TIME", "MoveOverhead", true,
     SHOWN_IN_BOTH, nullptr, nullptr},
    // Searched with one thread whatever is asked; the option lets tools that set it start.
    // xboard asks through its own "cores" command instead.
    {"Threads", SettingType::SPIN, &S::threads, nullptr, 1, 1, "ENGINE", "Threads", true, SHOWN_IN_UCI, nullptr,
     nullptr},
    // xboard plays Chess960 through "variant fischerandom".
    {"UCI_Chess960", SettingType::CHECK, &S::uciChess960, nullptr, 0, 1, nullptr, nullptr, false, SHOWN_IN_UCI,
     chess960Changed, nullptr},
    {"MaxDepth", SettingType::SPIN, &S::maxDepth, nullptr, 2, 32, "ENGINE", "MaxDepth", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"MaxTime", SettingType::SPIN, &S::maxTime, nullptr, ANY_MIN, ANY_MAX, "ENGINE", "MaxTime", false, SHOWN_IN_BOTH,
     maxTimeChanged, nullptr},
    // A UCI front end reads the engine's "info" lines, never the thinking lines this turns on.
    {"PostThinking", SettingType::CHECK, &S::postThinking, nullptr, 0, 1, "ENGINE", "PostThinking", false,
     SHOWN_IN_XBOARD, nullptr, nullptr},
    {"SuddenDeath", SettingType::SPIN, &S::suddenDeath, nullptr, 20, 40, "TIME", "SuddenDeath", false, SHOWN_IN_BOTH,
     nullptr, nullptr},
    {"MoreTime", SettingType::SPIN, &S::moreTime, nullptr, 5, 15, "TIME", "MoreTime", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"LessTime", SettingType::SPIN, &S::lessTime, nullptr, 5, 15, "TIME", "LessTime", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    {"FastGame", SettingType::SPIN, &S::fastGame, nullptr, 5, 15, "TIME", "FastGame", false, SHOWN_IN_BOTH, nullptr,
     nullptr},
    // A level for people (search/strength.h); UCI_Elo only counts while UCI_LimitStrength is on.
    {"UCI_LimitStrength", SettingType::CHECK, &S::limitStrength, nullptr, 0, 1, "ENGINE", "LimitStrength", false,
     SHOWN_IN_BOTH, nullptr, nullptr},
    {"UCI_Elo", SettingType::SPIN, &S::elo, nullptr, LEVEL_MIN_ELO, LEVEL_TOP_ELO, "ENGINE", "Elo", true,
     SHOWN_IN_BOTH, nullptr, nullptr},
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string valueOf(const Setting& setting, const EngineSettings& settings) {
    switch (setting.type) {
        case SettingType::CHECK: return settings.*setting.number == 1 ? "true" : "false";
        case SettingType::SPIN: return std::to_string(settings.*setting.number);
        case SettingType::STRING: return settings.*setting.text;
        case SettingType::COMBO: return setting.choices[settings.*setting.number];
        case SettingType::BUTTON: break;
    }
    return "";
}

bool readCheck(std::string_view value, std::int32_t& flag) {
    if (sameIgnoringCase(value, "true") || value == "1") {
        flag = 1;
        return true;
    }
    if (sameIgnoringCase(value, "false") || value == "0") {
        flag = 0;
        return true;
    }
    return false;
}

bool readSpin(const Setting& setting, std::string_view value, std::int32_t& number, SettingMessage message) {
    const std::string text(value);
    const char* end = nullptr;
    int read = 0;
    if (readNumber(text.c_str(), read, &end) == 0 || *end != '\0') return false;
    if (read >= setting.min && read <= setting.max) {
        number = read;
        return true;
    }
    if (!setting.clamps) return false;
    number = read < setting.min ? setting.min : setting.max;
    message(std::string("option ") + setting.name + ": " + text + " is out of its range " +
            std::to_string(setting.min) + ".." + std::to_string(setting.max) + ", set to " + std::to_string(number));
    return true;
}

bool readChoice(const Setting& setting, std::string_view value, std::int32_t& choice) {
    for (int i = 0; setting.choices[i] != nullptr; ++i)
        if (sameIgnoringCase(setting.choices[i], value)) {
            choice = i;
            return true;
        }
    return false;
}

}  // namespace

std::span<const Setting> settingsTable() { return SETTINGS; }

NamedValue splitNamedValue(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return {text, ""};
    return {text.substr(0, equals), text.substr(equals + 1)};
}

const Setting* findSetting(std::string_view name) {
    for (const Setting& setting : SETTINGS)
        if (sameIgnoringCase(setting.name, name)) return &setting;
    return nullptr;
}

std::string settingValueText(const Setting& setting) { return valueOf(setting, engineSettings); }

std::string settingDefaultText(const Setting& setting) { return valueOf(setting, DEFAULTS); }

bool setSetting(const Setting& setting, std::string_view value, SettingMessage message) {
    switch (setting.type) {
        case SettingType::CHECK:
            if (!readCheck(value, engineSettings.*setting.number)) return false;
            break;
        case SettingType::SPIN:
            if (!readSpin(setting, value, engineSettings.*setting.number, message)) return false;
            break;
        case SettingType::STRING: {
            const std::string_view text = value == EMPTY_SETTING_TEXT ? std::string_view() : value;
            if (text.size() >= static_cast<std::size_t>(SETTING_TEXT_LENGTH)) return false;
            char* field = engineSettings.*setting.text;
            std::copy(text.begin(), text.end(), field);  // an empty view may hold no pointer at all
            field[text.size()] = '\0';
            break;
        }
        case SettingType::COMBO:
            if (!readChoice(setting, value, engineSettings.*setting.number)) return false;
            break;
        case SettingType::BUTTON: break;
    }
    if (setting.changed != nullptr) setting.changed(message);
    return true;
}
