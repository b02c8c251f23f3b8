// What the game says on the console while a test drives it.
#pragma once

#include <gtest/gtest.h>

#include <string>

/// Runs `action` and returns what it printed on standard output.
template <typename Action> std::string printedBy(Action&& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}
