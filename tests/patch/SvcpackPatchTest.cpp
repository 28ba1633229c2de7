#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/LogAssertions.h"
#include "support/TempDir.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ornibe {
namespace {

using test::kVersionHeader;
using test::slurp;
using test::TempDir;

const std::string kHotfixesOnly = kVersionHeader + "[SetupHotfixesToRun]\r\nq123456.exe /q\r\n";

class SvcpackPatch : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    DriverPackage package;

    void SetUp() override {
        package.AddCatalogFile("/media/one/a.cat");
        package.AddCatalogFile("/media/two/b.cat");
    }

    // Puts the file into I386 as a cabinet under its compressed name.
    void storeCompressed(const std::string& bytes, const std::string& name = "SVCPACK.INF") {
        std::string plain = dir.write("staging/" + name, bytes);
        test::makeCabinet(plain, i386);
    }
    // The file that the cabinet in I386 holds.
    std::string expanded(const std::string& cabinet = "SVCPACK.IN_") {
        std::string out = dir.mkdir("out");
        test::expandCabinet(joinPath(i386, cabinet), out);
        std::set<std::string> names = test::namesIn(out);
        EXPECT_EQ(names.size(), 1u);
        return names.empty() ? std::string() : slurp(joinPath(out, *names.begin()));
    }
    Outcome patch(WindowsVersion version = WindowsVersion::WindowsXp,
                  const std::string& build = "2600") {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {version, Architecture::X86, build});
        return editor.PatchSvcpack();
    }
};

TEST_F(SvcpackPatch, compressed_file_with_hotfixes_only_gets_a_catalog_section) {
    storeCompressed(kHotfixesOnly);
    ASSERT_TRUE(patch());
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"SVCPACK.IN_"});
    std::string bytes = expanded();
    EXPECT_EQ(bytes, kHotfixesOnly + "\r\n[ProductCatalogsToInstall]\r\na.cat\r\nb.cat\r\n");
    InfFile inf = InfFile::parse(bytes);
    EXPECT_TRUE(inf.findFirstLine("ProductCatalogsToInstall", "a.cat"));
    EXPECT_TRUE(inf.findFirstLine("ProductCatalogsToInstall", "b.cat"));
    EXPECT_TRUE(inf.findFirstLine("SetupHotfixesToRun"));
}

TEST_F(SvcpackPatch, unparsable_file_is_replaced_by_the_template_for_its_version) {
    dir.write("I386/SVCPACK.INF", "garbage without a version section\r\n");
    ASSERT_TRUE(patch(WindowsVersion::Windows2000, "2195"));
    EXPECT_TRUE(test::hasLinesInOrder(
        expanded(), {"[Version]", "MinorVersion=0", "BuildNumber=2195", "a.cat", "b.cat"}));
}

TEST_F(SvcpackPatch, file_without_either_section_is_replaced_by_the_template) {
    dir.write("I386/SVCPACK.INF", kVersionHeader + "[Other]\r\nx\r\n");
    ASSERT_TRUE(patch(WindowsVersion::WindowsXp, "2600"));
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"SVCPACK.IN_"});
    std::string bytes = expanded();
    EXPECT_EQ(bytes, "[Version]\r\n"
                     "Signature=\"$Windows NT$\"\r\n"
                     "MajorVersion=5\r\n"
                     "MinorVersion=1\r\n"
                     "BuildNumber=2600\r\n"
                     "[SetupData]\r\n"
                     "CatalogSubDir=\"\\i386\\svcpack\"\r\n"
                     "[ProductCatalogsToInstall]\r\n"
                     "a.cat\r\n"
                     "b.cat\r\n");
    InfFile inf = InfFile::parse(bytes);
    ASSERT_TRUE(inf.isOpen());
    auto sub = inf.findFirstLine("SetupData", "CatalogSubDir");
    ASSERT_TRUE(sub);
    EXPECT_EQ(inf.stringField(*sub, 1), "\\i386\\svcpack");
    EXPECT_EQ(inf.lineCount("ProductCatalogsToInstall"), 2);
}

TEST_F(SvcpackPatch, second_build_finds_every_catalog_and_leaves_i386_untouched) {
    storeCompressed(kHotfixesOnly);
    ASSERT_TRUE(patch());
    std::string after = test::snapshot(i386);
    ASSERT_TRUE(patch());
    EXPECT_EQ(test::snapshot(i386), after);
    // The work copy is gone and with it TEMP.
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"SVCPACK.IN_"});
}

TEST_F(SvcpackPatch, catalogs_with_one_name_from_two_folders_give_two_lines) {
    package.AddCatalogFile("/media/three/a.cat");
    dir.write("I386/SVCPACK.INF", kVersionHeader + "[ProductCatalogsToInstall]\r\nold.cat\r\n");
    ASSERT_TRUE(patch());
    EXPECT_TRUE(test::hasLinesInOrder(expanded(),
                                      {"[ProductCatalogsToInstall]", "old.cat",
                                       "[ProductCatalogsToInstall]", "a.cat", "b.cat", "a.cat"}));
}

// Catalog names that could hold a separator are quoted, in an appended
// section and in a new file alike, and read back exactly.
TEST_F(SvcpackPatch, catalog_names_that_need_quoting_read_back_exactly) {
    package.Clear();
    for (const char* catalog : {"/m/plain.cat", "/m/semi;colon.cat", "/m/a,b.cat"}) {
        package.AddCatalogFile(catalog);
    }
    const std::string lines = "plain.cat\r\n\"semi;colon.cat\"\r\n\"a,b.cat\"\r\n";
    for (bool usable : {true, false}) {
        dir.write("I386/SVCPACK.INF", usable ? kHotfixesOnly : kVersionHeader);
        ASSERT_TRUE(patch());
        std::string bytes = expanded();
        EXPECT_TRUE(bytes.ends_with("[ProductCatalogsToInstall]\r\n" + lines)) << bytes;
        InfFile inf = InfFile::parse(bytes);
        for (const char* name : {"plain.cat", "semi;colon.cat", "a,b.cat"}) {
            auto line = inf.findFirstLine("ProductCatalogsToInstall", name);
            ASSERT_TRUE(line) << name;
            EXPECT_EQ(inf.fieldCount(*line), 1u);
        }
        // A second build finds every catalog.
        std::string after = test::snapshot(i386);
        ASSERT_TRUE(patch());
        EXPECT_EQ(test::snapshot(i386), after);
        ::unlink(joinPath(i386, "SVCPACK.IN_").c_str());
    }
}

TEST_F(SvcpackPatch, missing_file_fails_and_writes_nothing) {
    EXPECT_FALSE(patch());
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{});
}

TEST_F(SvcpackPatch, lower_case_tree_keeps_one_name_per_file) {
    storeCompressed(kHotfixesOnly, "svcpack.inf");
    ASSERT_EQ(test::namesIn(i386), std::set<std::string>{"svcpack.in_"});
    ASSERT_TRUE(patch());
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"svcpack.in_"});
    EXPECT_TRUE(test::hasLinesInOrder(expanded("svcpack.in_"), {"a.cat", "b.cat"}));
}

TEST_F(SvcpackPatch, plain_and_compressed_twins_end_as_the_compressed_name_only) {
    dir.write("I386/svcpack.inf", kHotfixesOnly);
    storeCompressed("stale", "SVCPACK.INF");
    ASSERT_TRUE(patch());
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"SVCPACK.IN_"});
    EXPECT_EQ(expanded(), kHotfixesOnly + "\r\n[ProductCatalogsToInstall]\r\na.cat\r\nb.cat\r\n");
}

} // namespace
} // namespace ornibe
