#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe::test {

// Passes when every wanted line is one whole line of the text (lines end
// with "\r\n"), in the given order; other lines may stand between them.
::testing::AssertionResult hasLinesInOrder(const std::string& text,
                                           const std::vector<std::string>& wanted);

} // namespace ornibe::test
