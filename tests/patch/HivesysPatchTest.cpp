#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

using test::slurp;
using test::TempDir;

const std::string kHivesys =
    "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[AddReg]\r\n"
    "HKLM,\"SYSTEM\\CurrentControlSet\\Control\",\"CurrentUser\",2,\"USERNAME\"\r\n";
const std::string kAdded =
    "\r\n[AddReg]\r\n"
    "HKLM,\"SYSTEM\\CurrentControlSet\\Services\\viostor\\Parameters\\PnpInterface\",\"5\","
    "0x00010001,0x1\r\n"
    "HKLM,\"SYSTEM\\CurrentControlSet\\Services\\viostor\\Parameters\",\"Name\",0x00000000,"
    "\"two words\"\r\n"
    "HKLM,\"SYSTEM\\CurrentControlSet\\Services\\viostor\",\"Blob\",0x00000001,0a,ff\r\n";

class HivesysPatch : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    DriverPackage package;

    void SetUp() override {
        package.addServiceValue({"viostor", "Parameters\\PnpInterface", "5", 0x00010001, {"0x1"}});
        package.addServiceValue({"viostor", "Parameters", "Name", 0, {"two words"}});
        package.addServiceValue({"viostor", "", "Blob", 0x00000001, {"0a", "ff"}});
    }

    std::string expanded() {
        std::string out = dir.mkdir("out");
        test::expandCabinet(joinPath(i386, "HIVESYS.IN_"), out);
        std::string text = slurp(joinPath(out, "HIVESYS.INF"));
        test::removeTree(out);
        return text;
    }
    Outcome patch() {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        return editor.patchHivesys();
    }
};

// ANSI and UTF-16 files alike get the values in their own encoding through
// a work copy, once: a second build finds them and leaves I386 as it is.
TEST_F(HivesysPatch, compressed_file_gets_the_values_once_in_its_own_encoding) {
    for (bool unicode : {false, true}) {
        SCOPED_TRACE(unicode ? "UTF-16" : "ANSI");
        const std::string bytes = unicode ? "\xFF\xFE" + cp932ToUtf16le(kHivesys) : kHivesys;
        test::makeCabinet(dir.write("staging/HIVESYS.INF", bytes), i386);
        ASSERT_TRUE(patch());
        const std::string once = expanded();
        EXPECT_EQ(once,
                  unicode ? "\xFF\xFE" + cp932ToUtf16le(kHivesys + kAdded) : kHivesys + kAdded);
        const std::string before = test::snapshot(i386);
        ASSERT_TRUE(patch());
        EXPECT_EQ(test::snapshot(i386), before);
        EXPECT_EQ(test::namesIn(i386), (std::set<std::string>{"HIVESYS.IN_"}));
    }
}

TEST_F(HivesysPatch, nothing_changes_without_values_and_a_missing_file_fails) {
    DriverPackage none;
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, none,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        ASSERT_TRUE(editor.patchHivesys());
    }
    EXPECT_TRUE(test::namesIn(i386).empty());
    Outcome missing = patch();
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.failure().reason.find("HIVESYS.IN_"), std::string::npos);
}

} // namespace
} // namespace ornibe
