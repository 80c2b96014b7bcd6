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

} // namespace fennick::test
