#include "common/ToolMain.h"
#include "sys/FileError.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace ornibe {
namespace {

// The guard of every tool's main: what escapes the tool's function ends it
// with one line in the tool's own style and the failure status it names.
TEST(ToolMain, exceptions_that_escape_a_tool_end_it_with_one_line_and_the_failure_status) {
    struct Case {
        std::function<int()> run;
        int status;
        std::string line;
    };
    const std::vector<Case> cases = {
        {[] { return 3; }, 3, ""},
        {[]() -> int { throw std::bad_alloc(); }, 1, "makecab: out of memory\n"},
        {[]() -> int { throw FileError("read", "/cd/x.sys", "Input/output error"); }, 1,
         "makecab: /cd/x.sys: read: Input/output error\n"},
        {[]() -> int { throw std::length_error("basic_string::_M_create"); }, 1,
         "makecab: basic_string::_M_create\n"},
        {[]() -> int { throw 42; }, 1, "makecab: unexpected error\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream err;
        EXPECT_EQ(runToolMain("makecab", 1, err, c.run), c.status) << c.line;
        EXPECT_EQ(err.str(), c.line);
    }
}

} // namespace
} // namespace ornibe
