// Every setting of the engine in one table: its name, type, range and INI key, and what runs
// when it changes. UCI's options, xboard's option features, the INI file and the console's
// "options" all come from here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "state/settings.h"

enum class SettingType { CHECK, SPIN, STRING, BUTTON, COMBO };

// Which protocol shows a setting; the INI (through its key) and the console know them all.
inline constexpr unsigned SHOWN_IN_UCI = 1;
inline constexpr unsigned SHOWN_IN_XBOARD = 2;
inline constexpr unsigned SHOWN_IN_BOTH = SHOWN_IN_UCI | SHOWN_IN_XBOARD;

// Where a change reports what it did (a value clamped, a table that could not grow): each
// protocol words its own lines.
using SettingMessage = void (*)(const std::string& text);

struct Setting {
    const char* name;  // as the protocols and the console name it
    SettingType type;
    std::int32_t EngineSettings::*number;            // CHECK (1 true), SPIN, COMBO (the choice)
    char (EngineSettings::*text)[SETTING_TEXT_LENGTH];  // STRING
    std::int32_t min, max;                           // SPIN; COMBO: 0 and the last choice
    const char* section;                             // INI section and key; null: not in the INI
    const char* key;
    bool clamps;  // a number out of range is clamped; otherwise refused (the INI: the default)
    unsigned shown;
    void (*changed)(SettingMessage message);  // after a protocol or the console set it; may be null
    const char* const* choices;                // COMBO: the choices' names, null-terminated
};

std::span<const Setting> settingsTable();

// The setting of that name, whatever the case of its letters; null when there is none.
const Setting* findSetting(std::string_view name);

// The value as a protocol shows it: a number, "true"/"false", the text, the choice's name;
// empty for a button.
std::string settingValueText(const Setting& setting);

// The default, in the same form.
std::string settingDefaultText(const Setting& setting);

// Sets `setting` from the text a protocol or the console sent: "true"/"false" or 1/0 for a
// check, a decimal number for a spin, any text for a string ("<empty>" for none), a choice's
// name for a combo, nothing for a button. A spin that clamps takes the nearest value in its
// range and says so through `message`. Runs the setting's change afterwards. False, with
// nothing changed, when the value cannot be taken.
bool setSetting(const Setting& setting, std::string_view value, SettingMessage message);

// "NAME=VALUE" (xboard's and the console's form) into its name and value; without "=" the
// value is empty, as for a button.
struct NamedValue {
    std::string name, value;
};
NamedValue splitNamedValue(const std::string& text);

// What a string setting shows for no text, and what a front end sends back for it.
inline constexpr const char* EMPTY_SETTING_TEXT = "<empty>";
