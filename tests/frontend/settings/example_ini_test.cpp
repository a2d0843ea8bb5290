// The example configuration that `cmake --install` ships must name every key the loader reads,
// each at the value the engine uses without a file.
#include <gtest/gtest.h>

#include <string>

#include "frontend/settings/ini_reader.h"
#include "frontend/settings/settings_table.h"
#include "state/settings.h"

namespace {

const std::string EXAMPLE = std::string(TARLOWICK_TEST_DATA) + "/../../frontend/settings/tarlowick.ini";

// Every setting with a key, from the table the loader reads: a key added to the table and
// forgotten in the example fails here.
TEST(ExampleIni, ListsEveryKeyAtItsDefault) {
    for (const Setting& setting : settingsTable()) {
        if (setting.section == nullptr) continue;
        std::string expected = settingDefaultText(setting);
        if (setting.type == SettingType::CHECK) expected = expected == "true" ? "1" : "0";
        char value[SETTING_TEXT_LENGTH];
        iniGetString(setting.section, setting.key, "(missing)", value, sizeof value, EXAMPLE.c_str());
        EXPECT_EQ(value, expected) << setting.section << "/" << setting.key;
    }
}

}  // namespace
