#include "source/PnpDriverPackage.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

// A rebuild that reads the work folder's own WINNT.SIF finds the build's
// folders named there already: each is named once, whatever its case or
// the blanks around it; the user's own folders stay first and as written.
TEST(PnpDriverPackage, the_path_names_each_folder_once_after_the_users_own) {
    const std::vector<std::string> ours = {"Drivers\\001", "Drivers\\002"};
    EXPECT_EQ(pnpPathValue("", ours), "Drivers\\001;Drivers\\002");
    EXPECT_EQ(pnpPathValue("Drivers\\Net", ours), "Drivers\\Net;Drivers\\001;Drivers\\002");
    EXPECT_EQ(pnpPathValue("Drivers\\Net;Drivers\\001;Drivers\\002", ours),
              "Drivers\\Net;Drivers\\001;Drivers\\002");
    EXPECT_EQ(pnpPathValue("drivers\\001; Drivers\\Net", ours),
              "drivers\\001; Drivers\\Net;Drivers\\002");
}

} // namespace
} // namespace ornibe
