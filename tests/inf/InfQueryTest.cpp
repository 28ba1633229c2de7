#include "InfQuery.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ornibe {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result query(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    int status = runInfQuery(args, out, err);
    return {status, out.str(), err.str()};
}

const std::string kInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                         "[Files]\r\nfirst = a, \"b c\" ,%S%\r\nplain\r\n"
                         "=emptykey\r\n"
                         "[DestinationDirs]\r\nDefaultDestDir = 12\r\nFiles = 11,sub\r\n"
                         "[Strings]\r\nS = \"\x93\xfa\x96\x7b\"\r\n";

class InfQuery : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.write("q.inf", kInf);
};

TEST_F(InfQuery, open_answers_whether_the_file_is_a_windows_inf) {
    EXPECT_EQ(query({path, "open"}).out, "1\n");
    std::string text = dir.write("plain.txt", "[Section]\r\nno signature\r\n");
    Result r = query({text, "open"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\n");
}

TEST_F(InfQuery, refused_open_says_which_line_and_why) {
    std::string header = dir.write("header.inf", "[Version]\r\nSignature=$Chicago$\r\n"
                                                 "; note\r\n[Files\r\nx=1\r\n");
    Result r = query({header, "open"});
    EXPECT_EQ(r.out, "0\n");
    EXPECT_EQ(r.err,
              "infquery: " + header + ": 4 行目: セクション見出しに閉じ括弧「]」がありません。\n");

    std::string before = dir.write("before.inf", "\r\nx=1\r\n[Version]\r\n");
    EXPECT_EQ(query({before, "open"}).err,
              "infquery: " + before +
                  ": 2 行目: 最初のセクション見出しより前に、コメントではない行があります。\n");

    std::string unsigned_ = dir.write("unsigned.inf", "[Version]\r\nClass=SCSIAdapter\r\n");
    EXPECT_EQ(query({unsigned_, "open"}).err,
              "infquery: " + unsigned_ +
                  ": [Version] セクションに Windows の INF の Signature がありません。\n");
    EXPECT_EQ(query({path, "open"}).err, "");
}

TEST_F(InfQuery, count_and_find) {
    EXPECT_EQ(query({path, "count", "files"}).out, "3\n");
    EXPECT_EQ(query({path, "count", "missing"}).out, "-1\n");
    EXPECT_EQ(query({path, "find", "FILES"}).out, "1\n");
    EXPECT_EQ(query({path, "find", "Files", "PLAIN"}).out, "1\n");
    EXPECT_EQ(query({path, "find", "Files", "none"}).out, "0\n");
    EXPECT_EQ(query({path, "find", "Files", ""}).out, "1\n");
    EXPECT_EQ(query({path, "find", "Strings", ""}).out, "0\n");
    EXPECT_EQ(query({path, "find", "missing"}).out, "0\n");
}

TEST_F(InfQuery, field_fieldcount_text_and_value_print_code_page_932_bytes) {
    EXPECT_EQ(query({path, "field", "Files", "0", "0"}).out, "first\n");
    EXPECT_EQ(query({path, "field", "Files", "0", "2"}).out, "b c\n");
    EXPECT_EQ(query({path, "field", "Files", "0", "3"}).out, "\x93\xfa\x96\x7b\n");
    EXPECT_EQ(query({path, "fieldcount", "Files", "0"}).out, "3\n");
    EXPECT_EQ(query({path, "text", "Files", "0"}).out, "a,b c,\x93\xfa\x96\x7b\n");
    EXPECT_EQ(query({path, "value", "Files", "plain", "1"}).out, "plain\n");
    EXPECT_EQ(query({path, "value", "files", "FIRST", "1"}).out, "a\n");
}

TEST_F(InfQuery, missing_line_or_field_exits_1_without_output) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{path, "field", "Files", "0", "4"},
                                               {path, "field", "Files", "9", "0"},
                                               {path, "field", "missing", "0", "0"},
                                               {path, "fieldcount", "Files", "9"},
                                               {path, "text", "missing", "0"},
                                               {path, "value", "Files", "none", "1"},
                                               {path, "value", "Files", "first", "9"}}) {
        Result r = query(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_EQ(r.out, "") << args[1];
    }
}

TEST_F(InfQuery, target_prints_the_destination_folder) {
    EXPECT_EQ(query({path, "target"}).out, "C:\\WINDOWS\\system32\\drivers\n");
    EXPECT_EQ(query({path, "target", "files"}).out, "C:\\WINDOWS\\system32\\sub\n");
    std::string odd = dir.write("odd.inf", "[Version]\r\nSignature=$Chicago$\r\n"
                                           "[DestinationDirs]\r\nDefaultDestDir=77777\r\n");
    EXPECT_EQ(query({odd, "target"}).status, 1);
}

TEST_F(InfQuery, package_prints_one_tab_separated_entry_a_line_in_package_order) {
    std::string inf =
        dir.write("drv/disk.inf",
                  "[Version]\r\nSignature=$Windows NT$\r\nCatalogFile=disk.cat\r\n"
                  "[Manufacturer]\r\nM = Models\r\n[Models]\r\n%D% = inst, PCI\\VEN_1\r\n"
                  "[inst]\r\nCopyFiles = @drv.sys\r\nCopyINF = more.inf\r\n"
                  "[inst.Services]\r\nAddService = s,2,si\r\n"
                  "[si]\r\nLoadOrderGroup = SCSI Miniport\r\nServiceBinary = %12%\\drv.sys\r\n"
                  "[DestinationDirs]\r\nDefaultDestDir = 12\r\n"
                  "[Strings]\r\nD = \"\x93\xfa\x96\x7b Controller\"\r\n");
    Result r = query({inf, "package", "1"});
    EXPECT_EQ(r.status, 0);
    std::string folder = dir / "drv";
    EXPECT_EQ(r.out, "catalog\t" + folder +
                         "/disk.cat\n"
                         "binary\tdrv.sys\n"
                         "hwid\tPCI\\VEN_1\tdrv\n"
                         "desc\t\x93\xfa\x96\x7b Controller\tdrv\n"
                         "file\t" +
                         folder +
                         "/drv.sys\tsystem32\\drivers\n"
                         "inf\t" +
                         folder +
                         "/more.inf\n"
                         "inf\t" +
                         inf +
                         "\n"
                         "models\tM\tModels\n");
}

TEST_F(InfQuery, package_ends_with_the_models_section_chosen_for_each_manufacturer) {
    std::string inf = dir.write("m.inf", "[Version]\r\nSignature=$Windows NT$\r\n"
                                         "[Manufacturer]\r\nA = ModelsA, NTx86.5.1, NT.6.0\r\n"
                                         "B = ModelsB, NTamd64\r\nOnly\r\n");
    EXPECT_EQ(query({inf, "package", "1"}).out, "inf\t" + inf +
                                                    "\n"
                                                    "models\tA\tModelsA.NTx86.5.1\n"
                                                    "models\tB\tModelsB\n"
                                                    "models\tOnly\tOnly\n");
    EXPECT_EQ(query({inf, "package", "0"}).out,
              "inf\t" + inf + "\nmodels\tA\tModelsA\nmodels\tB\tModelsB\nmodels\tOnly\tOnly\n");
}

TEST_F(InfQuery, usage_errors_exit_2_with_one_line_on_standard_error) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {path},
                                               {path, "bogus"},
                                               {path, "open", "extra"},
                                               {path, "count"},
                                               {path, "field", "Files", "x", "0"},
                                               {path, "field", "Files", "-1", "0"},
                                               {path, "text", "Files"},
                                               {path, "value", "Files", "k"},
                                               {path, "target", "a", "b"},
                                               {path, "package", "12"}}) {
        Result r = query(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
    }
}

TEST_F(InfQuery, unreadable_file_exits_2_with_the_reason) {
    Result missing = query({dir / "none.inf", "open"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.inf"), std::string::npos);
    EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1);
    Result folder = query({dir.mkdir("sub"), "count", "x"});
    EXPECT_EQ(folder.status, 2);
}

TEST_F(InfQuery, binary_answers_like_the_function) {
    std::string command =
        std::string(ORNIBE_BUILD_TOOL_DIR) + "/infquery '" + path + "' value Files first 2 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string out;
    char buffer[256];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe.get()))
        out.append(buffer, n);
    int status = pclose(pipe.release());
    EXPECT_EQ(out, "b c\n");
    EXPECT_EQ(WEXITSTATUS(status), 0);

    std::string failing = std::string(ORNIBE_BUILD_TOOL_DIR) + "/infquery '" + path +
                          "' value Files none 1 >/dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(failing.c_str())), 1);
}

} // namespace
} // namespace ornibe
