#include "frontend/uci/uci_options.h"

#include <cstdio>
#include <string>

#include "frontend/settings/settings_table.h"

namespace {

bool shownInUci(const Setting& setting) { return (setting.shown & SHOWN_IN_UCI) != 0; }

void infoString(const std::string& text) { std::printf("info string %s\n", text.c_str()); }

std::string optionLine(const Setting& setting) {
    std::string line = std::string("option name ") + setting.name + " type ";
    const std::string value = settingValueText(setting);
    switch (setting.type) {
        case SettingType::CHECK: return line + "check default " + value;
        case SettingType::SPIN:
            return line + "spin default " + value + " min " + std::to_string(setting.min) + " max " +
                   std::to_string(setting.max);
        case SettingType::STRING: return line + "string default " + (value.empty() ? EMPTY_SETTING_TEXT : value);
        case SettingType::BUTTON: return line + "button";
        case SettingType::COMBO:
            line += "combo default " + value;
            for (int i = 0; setting.choices[i] != nullptr; ++i) line += std::string(" var ") + setting.choices[i];
            return line;
    }
    return line;
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

}  // namespace

void announceUciOptions() {
    for (const Setting& setting : settingsTable())
        if (shownInUci(setting)) std::printf("%s\n", optionLine(setting).c_str());
}

void setUciOption(const char* text) {
    std::string name, value;
    if (!splitSetOption(text, name, value)) {
        std::printf("info string setoption needs a name: %s\n", text);
        return;
    }
    const Setting* setting = findSetting(name);
    if (setting == nullptr || !shownInUci(*setting)) {
        std::printf("info string no option %s\n", name.c_str());
        return;
    }
    if (!setSetting(*setting, value, infoString))
        std::printf("info string option %s cannot take the value %s\n", setting->name, value.c_str());
}
