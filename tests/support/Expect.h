// Assertions on what the module raises through the host's error path.
#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "hostside/IoError.h"

namespace fennick::test {

// Runs `action`, which must raise orvo::IoError, and returns it.
template <class Action>
orvo::IoError CatchIoError(Action&& action)
{
    try {
        action();
    } catch (const orvo::IoError& error) {
        return error;
    }
    ADD_FAILURE() << "expected an orvo::IoError";
    return orvo::IoError("(none raised)", std::nullopt, "");
}

// The code-23 error of a malformed line: the record text, the line and the path.
inline void ExpectBadRecord(const orvo::IoError& error, int line, const std::string& path)
{
    EXPECT_EQ(error.GetCode(), 23);
    const std::string text = error.what();
    EXPECT_NE(text.find("Unknown record format"), std::string::npos) << text;
    EXPECT_NE(text.find("line " + std::to_string(line) + " "), std::string::npos) << text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
}

} // namespace fennick::test
