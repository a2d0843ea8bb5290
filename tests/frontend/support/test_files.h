// Scratch files for the file-reading tests: each test gets its own directory, since ctest runs
// tests as parallel processes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Empty when no directory could be made.
inline std::string makeTempDir() {
    std::string pattern = testing::TempDir() + "tarlowick-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr) << "cannot create a directory from " << pattern;
    return made != nullptr ? std::string(made) : std::string();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Open descriptors of this process; a reader that forgets to close a file makes it grow.
inline int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

// Removes the directory at the end of the test that made it.
struct TempDir {
    std::string path = makeTempDir();
    TempDir() = default;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
};
