#include "sys/HostEnvironment.h"

#include <gtest/gtest.h>

using namespace ornibe;

namespace {

TEST(HostEnvironment, variables_are_looked_up_replaced_and_removed_by_their_whole_name) {
    const HostEnvironment environment(
        {"PATHEXT=.EXE", "HOME=/home/u", "EMPTY=", "bad", "=x", "HOME=/home/v", "TMPDIR=/var/tmp"});
    EXPECT_EQ(
        environment.variables(),
        (std::vector<std::string>{"PATHEXT=.EXE", "EMPTY=", "HOME=/home/v", "TMPDIR=/var/tmp"}));
    EXPECT_EQ(environment.value("HOME"), "/home/v");
    EXPECT_EQ(environment.value("PATH"), std::nullopt);
    EXPECT_EQ(environment.value("EMPTY"), "");
    EXPECT_EQ(environment.nonEmpty("EMPTY"), std::nullopt);
    EXPECT_EQ(environment.tempFolder(), "/var/tmp");

    const HostEnvironment changed = environment.with("HOME", "/root").without("TMPDIR");
    EXPECT_EQ(changed.variables(),
              (std::vector<std::string>{"PATHEXT=.EXE", "EMPTY=", "HOME=/root"}));
    EXPECT_EQ(changed.tempFolder(), "/tmp");
    EXPECT_EQ(environment.value("HOME"), "/home/v");
}

TEST(HostEnvironment, search_folders_come_from_path_with_an_empty_entry_as_the_current_folder) {
    EXPECT_EQ(HostEnvironment({"PATH=/a::/b:"}).searchFolders(),
              (std::vector<std::string>{"/a", ".", "/b", "."}));
    EXPECT_EQ(HostEnvironment({"PATH="}).searchFolders(), (std::vector<std::string>{"."}));
    EXPECT_EQ(HostEnvironment().searchFolders(),
              (std::vector<std::string>{"/usr/local/bin", "/usr/bin", "/bin"}));
}

} // namespace
