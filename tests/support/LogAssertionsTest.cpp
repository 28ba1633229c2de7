#include "support/LogAssertions.h"

#include <gtest/gtest.h>

using ornibe::test::hasLinesInOrder;

TEST(LogAssertions, finds_whole_lines_in_order_with_others_between) {
    std::string log = "one\r\ntwo\r\nthree\r\nfour";
    EXPECT_TRUE(hasLinesInOrder(log, {"one", "three", "four"}));
    EXPECT_FALSE(hasLinesInOrder(log, {"three", "one"}));
    EXPECT_FALSE(hasLinesInOrder(log, {"tw"}));
    EXPECT_FALSE(hasLinesInOrder("a\nb\r\n", {"a"}));
}
