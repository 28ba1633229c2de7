#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/InfFile.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

using test::kVersionHeader;
using test::slurp;
using test::TempDir;

const std::string kAppended =
    "\r\n[atapi_parameters_AddReg]\r\nHKR,Parameters,EnableBigLba,%REG_DWORD%,1\r\n";
const std::string kStrings = "[Strings]\r\nREG_DWORD = 0x00010001\r\n";

class MshdcPatch : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");

    Outcome patch() {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        return editor.PatchMshdc();
    }
    std::string expanded() {
        std::string out = dir.mkdir("out");
        test::expandCabinet(dir / "I386/MSHDC.IN_", out);
        return slurp(joinPath(out, "MSHDC.INF"));
    }
};

TEST_F(MshdcPatch, line_present_in_either_form_leaves_i386_untouched) {
    for (std::string line : {"HKR,Parameters,EnableBigLba,%REG_DWORD%,1",
                             "hkr, parameters, enablebiglba, 0x00010001, 1",
                             "HKR,  Parameters,EnableBigLba,   %reg_dword%,1"}) {
        for (std::string strings : {kStrings, std::string()}) {
            std::string content =
                kVersionHeader + "[atapi_parameters_AddReg]\r\n" + line + "\r\n" + strings;
            std::string path = dir.write("I386/MSHDC.INF", content);
            EXPECT_TRUE(patch()) << line;
            EXPECT_TRUE(test::fileHolds(path, content)) << line;
            EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"MSHDC.INF"}) << line;
        }
    }
}

TEST_F(MshdcPatch, line_with_another_value_or_no_section_gets_the_72_bytes) {
    EXPECT_EQ(kAppended.size(), 72u);
    std::string content =
        kVersionHeader + kStrings +
        "[atapi_parameters_AddReg]\r\nHKR,Parameters,EnableBigLba,%REG_DWORD%,0\r\n";
    dir.write("I386/MSHDC.INF", content);
    ASSERT_TRUE(patch());
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"MSHDC.IN_"});
    std::string bytes = expanded();
    EXPECT_EQ(bytes, content + kAppended);
    InfFile inf = InfFile::parse(bytes);
    EXPECT_EQ(inf.lineCount("atapi_parameters_AddReg"), 2);
    EXPECT_EQ(inf.lineText(*inf.lineByIndex("atapi_parameters_AddReg", 1)),
              "HKR,Parameters,EnableBigLba,0x00010001,1");
}

TEST_F(MshdcPatch, utf16_work_copy_gets_144_bytes) {
    std::string content = "\xFF\xFE" + cp932ToUtf16le(kVersionHeader + kStrings);
    dir.write("I386/MSHDC.INF", content);
    ASSERT_TRUE(patch());
    std::string bytes = expanded();
    ASSERT_EQ(bytes.size(), content.size() + 144);
    EXPECT_EQ(bytes.substr(content.size()), cp932ToUtf16le(kAppended));
    InfFile inf = InfFile::parse(bytes);
    auto added = inf.findFirstLine("atapi_parameters_AddReg");
    ASSERT_TRUE(added);
    EXPECT_EQ(inf.lineText(*added), "HKR,Parameters,EnableBigLba,0x00010001,1");
}

TEST_F(MshdcPatch, second_build_adds_nothing_even_without_a_reg_dword_string) {
    for (std::string strings : {kStrings, std::string()}) {
        std::string staged = dir.write("staging/MSHDC.INF", kVersionHeader + strings);
        test::removeTree(i386);
        dir.mkdir("I386");
        test::makeCabinet(staged, i386);
        ASSERT_TRUE(patch());
        std::string once = test::snapshot(i386);
        ASSERT_TRUE(patch());
        EXPECT_EQ(test::snapshot(i386), once);
        EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"MSHDC.IN_"});
    }
}

TEST_F(MshdcPatch, file_the_parser_cannot_open_gets_the_line) {
    dir.write("I386/MSHDC.INF", "no version section");
    ASSERT_TRUE(patch());
    EXPECT_EQ(expanded(), "no version section" + kAppended);
}

TEST_F(MshdcPatch, missing_file_fails_and_writes_nothing) {
    EXPECT_FALSE(patch());
    EXPECT_TRUE(test::namesIn(i386).empty());
}

} // namespace
} // namespace ornibe
