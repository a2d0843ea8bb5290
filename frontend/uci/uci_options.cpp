#include "frontend/uci/uci_options.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "frontend/input/command_table.h"
#include "frontend/settings/settings_loader.h"
#include "search/transposition.h"
#include "state/settings.h"

namespace {

// What a front end shows for a string option that holds no text, and sends back for one.
constexpr const char* EMPTY_TEXT = "<empty>";

enum class OptionType { CHECK, SPIN, STRING };

struct UciOption {
    const char* name;
    OptionType type;
    std::int32_t* number;  // CHECK: the setting, 1 for true; SPIN: the setting
    char* text;            // STRING: the setting, SETTING_TEXT_LENGTH bytes
    void (*changed)();     // runs after a new value is stored; may be null
    std::int32_t min = 0, max = 0;  // SPIN: the range
};

// The game log follows its two settings at once, as a reload of the configuration would.
void reopenGameLog() {
    closeGameLog();
    if (engineSettings.logGame == 1 && !openGameLog())
        std::printf("info string cannot open the game log %s\n", engineSettings.logFile);
}

// The table takes its new size at once; a size the memory cannot hold keeps the old table.
void resizeTable() {
    const int wanted = engineSettings.hashSize;
    if (applyHashSize() == 0)
        std::printf("info string no memory for a table of %d MB; it stays at %d MB\n", wanted, engineSettings.hashSize);
}

constexpr UciOption UCI_OPTIONS[] = {
    {"Hash", OptionType::SPIN, &engineSettings.hashSize, nullptr, resizeTable, MIN_HASH_MB, MAX_HASH_MB},
    // The GUI asks for pondering with "go ponder"; the setting only tells it the engine can.
    {"Ponder", OptionType::CHECK, &engineSettings.ponder, nullptr, nullptr},
    {"OwnBook", OptionType::CHECK, &engineSettings.book, nullptr, nullptr},
    {"BookFile", OptionType::STRING, nullptr, engineSettings.bookFile, nullptr},
    {"BookRandom", OptionType::CHECK, &engineSettings.randBook, nullptr, nullptr},
    {"GameLog", OptionType::CHECK, &engineSettings.logGame, nullptr, reopenGameLog},
    {"LogFile", OptionType::STRING, nullptr, engineSettings.logFile, reopenGameLog},
};

// Option names and check values are not case-sensitive in the protocol.
bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

const UciOption* findOption(const std::string& name) {
    for (const UciOption& option : UCI_OPTIONS)
        if (sameIgnoringCase(option.name, name)) return &option;
    return nullptr;
}

// "true" or "false" into `flag`; false for anything else.
bool readCheck(const std::string& value, std::int32_t& flag) {
    if (!sameIgnoringCase(value, "true") && !sameIgnoringCase(value, "false")) return false;
    flag = sameIgnoringCase(value, "true") ? 1 : 0;
    return true;
}

// "name <id> [value <x>]": the id ends where " value" begins; the value may hold blanks.
bool splitSetOption(const std::string& text, std::string& name, std::string& value) {
    if (text.compare(0, 5, "name ") != 0) return false;
    std::size_t valueAt = text.find(" value ", 5);
    if (valueAt == std::string::npos && text.ends_with(" value")) valueAt = text.size() - 6;
    name = text.substr(5, valueAt == std::string::npos ? std::string::npos : valueAt - 5);
    value = valueAt == std::string::npos || valueAt + 7 > text.size() ? std::string() : text.substr(valueAt + 7);
    return true;
}

// A whole decimal number within the option's range.
bool readSpin(const UciOption& option, const std::string& value, std::int32_t& number) {
    const char* end = nullptr;
    int read = 0;
    if (readNumber(value.c_str(), read, &end) == 0 || *end != '\0') return false;
    if (read < option.min || read > option.max) return false;
    number = read;
    return true;
}

bool storeValue(const UciOption& option, const std::string& value) {
    if (option.type == OptionType::CHECK) {
        std::int32_t flag = 0;
        if (!readCheck(value, flag)) return false;
        *option.number = flag;
        return true;
    }
    if (option.type == OptionType::SPIN) return readSpin(option, value, *option.number);
    const std::string text = value == EMPTY_TEXT ? std::string() : value;
    if (text.size() >= static_cast<std::size_t>(SETTING_TEXT_LENGTH)) return false;
    std::memcpy(option.text, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

void announceUciOptions() {
    for (const UciOption& option : UCI_OPTIONS) {
        if (option.type == OptionType::CHECK)
            std::printf("option name %s type check default %s\n", option.name, *option.number == 1 ? "true" : "false");
        else if (option.type == OptionType::SPIN)
            std::printf("option name %s type spin default %d min %d max %d\n", option.name, *option.number, option.min,
                        option.max);
        else
            std::printf("option name %s type string default %s\n", option.name,
                        option.text[0] == '\0' ? EMPTY_TEXT : option.text);
    }
}

void setUciOption(const char* text) {
    std::string name, value;
    if (!splitSetOption(text, name, value)) {
        std::printf("info string setoption needs a name: %s\n", text);
        return;
    }
    const UciOption* option = findOption(name);
    if (option == nullptr) {
        std::printf("info string no option %s\n", name.c_str());
        return;
    }
    if (!storeValue(*option, value)) {
        std::printf("info string option %s cannot take the value %s\n", option->name, value.c_str());
        return;
    }
    if (option->changed != nullptr) option->changed();
}
