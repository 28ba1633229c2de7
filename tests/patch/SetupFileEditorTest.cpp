#include "patch/SetupFileEditor.h"
#include "sys/FileError.h"

#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ornibe;
using namespace ornibe::test;

namespace fs = std::filesystem;

TEST(SetupFileEditor, folder_with_or_without_slash_gives_the_same_paths) {
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    SetupFileEditor bare(test::buildTreeTools(dir.path()), i386);
    SetupFileEditor slashed(test::buildTreeTools(dir.path()), i386 + "/");
    EXPECT_EQ(bare.i386Folder(), i386 + "/");
    EXPECT_EQ(slashed.i386Folder(), i386 + "/");
    EXPECT_EQ(bare.tempFolder(), i386 + "/TEMP/");
    EXPECT_EQ(slashed.tempFolder(), i386 + "/TEMP/");
}

TEST(SetupFileEditor, big_drive_form_leaves_driver_fields_empty) {
    TempDir dir;
    SetupFileEditor editor(test::buildTreeTools(dir.path()), dir.mkdir("I386"));
    EXPECT_EQ(editor.package(), nullptr);
    EXPECT_EQ(editor.target(), WindowsTarget());
    EXPECT_EQ(editor.sourcePath(), "");
    EXPECT_EQ(editor.workCopyPath(), "");
}

TEST(SetupFileEditor, temp_folder_lives_as_long_as_the_editor_when_left_empty) {
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        EXPECT_TRUE(fs::is_directory(i386 + "/TEMP"));
        dir.write("I386/TEMP/DOSNET.IN_", "work copy");
        fs::remove(i386 + "/TEMP/DOSNET.IN_");
    }
    EXPECT_FALSE(fs::exists(i386 + "/TEMP"));
}

TEST(SetupFileEditor, work_copy_left_behind_keeps_temp) {
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        dir.write("I386/TEMP/SVCPACK.INF", "left behind");
    }
    EXPECT_TRUE(fileHolds(i386 + "/TEMP/SVCPACK.INF", "left behind"));
}

TEST(SetupFileEditor, existing_temp_is_used_and_removed_only_when_empty) {
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    dir.write("I386/TEMP/OLD.TXT", "from before");
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        EXPECT_TRUE(fileHolds(i386 + "/TEMP/OLD.TXT", "from before"));
    }
    EXPECT_TRUE(fileHolds(i386 + "/TEMP/OLD.TXT", "from before"));

    fs::remove(i386 + "/TEMP/OLD.TXT");
    { SetupFileEditor editor(test::buildTreeTools(dir.path()), i386); }
    EXPECT_FALSE(fs::exists(i386 + "/TEMP"));
}

TEST(SetupFileEditor, temp_folder_in_another_letter_case_is_used) {
    TempDir dir;
    std::string i386 = dir.mkdir("i386");
    dir.write("i386/temp/MSHDC.INF", "kept");
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        EXPECT_EQ(editor.tempFolder(), i386 + "/temp/");
        EXPECT_FALSE(fs::exists(i386 + "/TEMP"));
        fs::remove(i386 + "/temp/MSHDC.INF");
    }
    EXPECT_FALSE(fs::exists(i386 + "/temp"));
}

TEST(SetupFileEditor, temp_that_cannot_be_made_is_a_file_error) {
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    dir.write("I386/TEMP", "a file, not a folder");
    try {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), i386 + "/TEMP");
        EXPECT_EQ(error.operation(), "create folder");
        EXPECT_EQ(error.reason(), "Not a directory");
    }
    EXPECT_TRUE(fileHolds(i386 + "/TEMP", "a file, not a folder"));

    EXPECT_THROW(SetupFileEditor(test::buildTreeTools(dir.path()), dir / "NOI386"), FileError);
}

TEST(SetupFileEditor, work_copy_paths_are_kept_for_the_patchers) {
    TempDir dir;
    SetupFileEditor editor(test::buildTreeTools(dir.path()), dir.mkdir("I386"));
    editor.setSourcePath(dir / "I386/DOSNET.IN_");
    editor.setWorkCopyPath(editor.tempFolder() + "DOSNET.INF");
    EXPECT_EQ(editor.sourcePath(), dir / "I386/DOSNET.IN_");
    EXPECT_EQ(editor.workCopyPath(), dir / "I386/TEMP/DOSNET.INF");
}
