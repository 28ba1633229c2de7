#include "patch/SvcpackHotfixes.h"

#include "patch/SetupFileEditor.h"
#include "support/TempDir.h"
#include "sys/FileIo.h"
#include "sys/TextEncoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe::test {
namespace {

// Taking out what a build added as a repeated section gives back the CD's
// bytes, in each form a setup file comes in: an 8-bit file ending in its
// end-of-file byte, one without, and UTF-16LE. The
// CD's own empty section and its own lines stay; of two added lines, the
// one not named stays where it was.
TEST(SvcpackHotfixesTest, taking_out_added_lines_gives_back_the_files_own_bytes) {
    TempDir dir;
    const std::string cd = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
                           "[SetupHotfixesToRun]\r\n\r\n"
                           "[ProductCatalogsToInstall]\r\nKB000001.CAT\r\n\r\n"
                           "[SetupHotfixesToRun]\r\nKB000009.EXE /q /n /z\r\n";
    const std::vector<std::string> forms = {cd + "\x1A", cd, "\xFF\xFE" + cp932ToUtf16le(cd)};
    auto ours = [](std::string_view text) {
        return text.starts_with("KB900001.EXE") || text.starts_with("KB900002.EXE");
    };
    for (const std::string& form : forms) {
        const std::string path = dir.write("SVCPACK.INF", form);
        SetupFileEditor::AppendText(path, "\r\n[SetupHotfixesToRun]\r\nKB900001.EXE /q /n /z\r\n"
                                          "KB900002.EXE /Q:A /R:N\r\n");
        const std::string built = readFile(path);
        EXPECT_EQ(withoutSectionLines(built, "SetupHotfixesToRun", ours), form) << form;

        // One of ours taken out: the other reads back alone after the CD's.
        Result<InfFile, InfProblem> file = InfFile::readBytes(
            withoutSectionLines(built, "setuphotfixestorun",
                                [](std::string_view text) { return text.starts_with("KB900001"); }),
            InfStyle::Win4);
        ASSERT_TRUE(file) << form;
        std::vector<std::string> names;
        for (const HotfixLine& line : hotfixLinesOf(*file)) {
            names.push_back(line.name);
        }
        EXPECT_THAT(names, testing::ElementsAre("KB000009.EXE", "KB900002.EXE")) << form;
    }
    // The CD's lines are never taken for ours, nor its empty section.
    EXPECT_EQ(withoutSectionLines(cd, "SetupHotfixesToRun", ours), cd);
}

} // namespace
} // namespace ornibe::test
