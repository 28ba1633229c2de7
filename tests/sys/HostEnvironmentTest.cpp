#include "sys/HostEnvironment.h"
#include "sys/UserLanguage.h"

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

TEST(HostEnvironment, the_language_is_english_only_when_a_locale_that_is_not_c_asks_for_it) {
    const auto language = [](std::vector<std::string> variables) {
        return userLanguage(HostEnvironment(std::move(variables)));
    };
    EXPECT_EQ(language({}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=C.UTF-8"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=POSIX", "LANGUAGE=en"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=en_US.UTF-8"}), UserLanguage::English);
    EXPECT_EQ(language({"LANG=ja_JP.UTF-8"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=de_DE.UTF-8"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=english"}), UserLanguage::Japanese);
    // LC_ALL, then LC_MESSAGES, then LANG; an empty one does not count.
    EXPECT_EQ(language({"LANG=en_US.UTF-8", "LC_MESSAGES=ja_JP.UTF-8"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=ja_JP.UTF-8", "LC_ALL=en_GB.UTF-8"}), UserLanguage::English);
    EXPECT_EQ(language({"LANG=en_US.UTF-8", "LC_ALL="}), UserLanguage::English);
    EXPECT_EQ(language({"LANG=en_US.UTF-8", "LC_ALL=C"}), UserLanguage::Japanese);
    // LANGUAGE's first entry that names English or Japanese decides.
    EXPECT_EQ(language({"LANG=de_DE.UTF-8", "LANGUAGE=fr:en_US:ja"}), UserLanguage::English);
    EXPECT_EQ(language({"LANG=en_US.UTF-8", "LANGUAGE=ja:en"}), UserLanguage::Japanese);
    EXPECT_EQ(language({"LANG=en_US.UTF-8", "LANGUAGE=fr:de"}), UserLanguage::English);
}

} // namespace
