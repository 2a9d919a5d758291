#include "tests/support/console_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

void StartConsoleCapture() {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

std::string StopConsoleCapture() {
    std::fflush(stdout);
    std::string text = testing::internal::GetCapturedStdout();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}
