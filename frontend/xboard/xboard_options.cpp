#include "frontend/xboard/xboard_options.h"

#include <algorithm>
#include <cstdio>

#include "frontend/input/command_table.h"
#include "frontend/settings/settings_table.h"
#include "search/transposition.h"

namespace {

bool shownInXboard(const Setting& setting) { return (setting.shown & SHOWN_IN_XBOARD) != 0; }

// Notes go to the debug lines the front end logs but does not show.
void debugNote(const std::string& text) { std::printf("#DEBUG %s\n", text.c_str()); }

std::string optionFeature(const Setting& setting) {
    std::string text = std::string("feature option=\"") + setting.name + " -";
    const std::string value = settingValueText(setting);
    switch (setting.type) {
        case SettingType::CHECK: return text + "check " + (value == "true" ? "1" : "0") + "\"";
        case SettingType::SPIN:
            return text + "spin " + value + " " + std::to_string(setting.min) + " " + std::to_string(setting.max) + "\"";
        case SettingType::STRING: return text + "string " + value + "\"";
        case SettingType::BUTTON: return text + "button\"";
        case SettingType::COMBO:
            text += "combo";
            for (int i = 0; setting.choices[i] != nullptr; ++i) {
                text += i == 0 ? " " : " /// ";
                if (value == setting.choices[i]) text += "*";
                text += setting.choices[i];
            }
            return text + "\"";
    }
    return text + "\"";
}

}  // namespace

void sendOptionFeatures() {
    for (const Setting& setting : settingsTable())
        if (shownInXboard(setting)) std::printf("%s\n", optionFeature(setting).c_str());
    std::printf("feature exclude=1 memory=1 variants=\"normal,fischerandom\"\n");
}

void setOptionCommand(const std::string& line) {
    const auto [name, value] = splitNamedValue(textFrom(line, 7));
    const Setting* setting = findSetting(name);
    if (setting == nullptr || !shownInXboard(*setting)) {
        std::printf("Error (unknown option): %s\n", line.c_str());
        return;
    }
    if (!setSetting(*setting, value, debugNote)) std::printf("Error (bad option value): %s\n", line.c_str());
}

void setMemory(const std::string& line) {
    int megabytes = 0;
    if (readNumber(textFrom(line, 7), megabytes) == 0) {
        std::printf("Error (unreadable number): %s\n", line.c_str());
        return;
    }
    const Setting* hash = findSetting("Hash");
    setSetting(*hash, std::to_string(std::clamp(megabytes, MIN_HASH_MB, MAX_HASH_MB)), debugNote);
}
