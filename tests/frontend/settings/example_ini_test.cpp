// The example configuration that `cmake --install` ships must name every key the loader reads,
// each at the value the engine uses without a file.
#include <gtest/gtest.h>

#include <string>

#include "frontend/settings/ini_reader.h"
#include "state/settings.h"

namespace {

const std::string EXAMPLE = std::string(TARLOWICK_TEST_DATA) + "/../../frontend/settings/tarlowick.ini";

struct ExampleKey {
    const char* section;
    const char* key;
    std::string value;
};

TEST(ExampleIni, ListsEveryKeyAtItsDefault) {
    const EngineSettings defaults{};
    const ExampleKey keys[] = {
        {"ENGINE", "MaxDepth", std::to_string(defaults.maxDepth)},
        {"ENGINE", "MaxTime", std::to_string(defaults.maxTime)},
        {"ENGINE", "PostThinking", std::to_string(defaults.postThinking)},
        {"ENGINE", "Hash", std::to_string(defaults.hashSize)},
        {"LOG", "LogFile", defaults.logFile},
        {"LOG", "LogGame", std::to_string(defaults.logGame)},
        {"BOOK", "BookFile", defaults.bookFile},
        {"BOOK", "Book", std::to_string(defaults.book)},
        {"BOOK", "RandBook", std::to_string(defaults.randBook)},
        {"TIME", "SuddenDeath", std::to_string(defaults.suddenDeath)},
        {"TIME", "MoreTime", std::to_string(defaults.moreTime)},
        {"TIME", "LessTime", std::to_string(defaults.lessTime)},
        {"TIME", "FastGame", std::to_string(defaults.fastGame)},
    };
    for (const ExampleKey& k : keys) {
        char value[SETTING_TEXT_LENGTH];
        iniGetString(k.section, k.key, "(missing)", value, sizeof value, EXAMPLE.c_str());
        EXPECT_EQ(value, k.value) << k.section << "/" << k.key;
    }
}

}  // namespace
