// Configuration text of any kind through every getter the settings loader uses.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "frontend/settings/ini_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (size == 0 || file == nullptr) {
        if (file) std::fclose(file);
        return 0;
    }
    static const char* const keys[][2] = {{"ENGINE", "MaxDepth"}, {"LOG", "LogFile"}, {"BOOK", "BookFile"},
                                          {"TIME", "MaxTime"},     {"", "x"},           {"engine", "maxdepth"}};
    for (const auto& key : keys) {
        char value[100];
        std::memset(value, 'x', sizeof value);
        std::rewind(file);
        if (iniFindKey(file, key[0], key[1], value, sizeof value) == 1 && std::memchr(value, '\0', sizeof value) == nullptr)
            std::abort();
        char small[4];
        std::rewind(file);
        if (iniFindKey(file, key[0], key[1], small, sizeof small) == 1 && std::memchr(small, '\0', sizeof small) == nullptr)
            std::abort();
    }
    std::fclose(file);
    return 0;
}
