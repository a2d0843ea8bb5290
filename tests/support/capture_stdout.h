// Captures what a call prints on standard output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

template <typename Call>
std::string stdoutOf(Call call) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    call();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
