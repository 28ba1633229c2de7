#include "source/EditionTags.h"
#include "source/Medium.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

TEST(EditionTagsTest, each_tag_set_names_its_edition_level_and_architecture) {
    struct Case {
        std::vector<std::string> names;
        Architecture architecture;
        std::string expected;
    };
    const Case cases[] = {
        {{"WIN51", "WIN51IP", "WIN51IP.SP2", "I386"},
         Architecture::X86,
         "Windows XP Professional SP2 (x86)"},
        {{"WIN51", "WIN51IC"}, Architecture::X86, "Windows XP Home Edition (x86)"},
        {{"win51", "win51ic.sp1"}, Architecture::X86, "不明"},
        {{"win51", "win51ic", "win51ic.sp3"},
         Architecture::X86,
         "Windows XP Home Edition SP3 (x86)"},
        {{"WIN51", "WIN51AP", "WIN51AP.SP2", "AMD64", "I386"},
         Architecture::Amd64,
         "Windows XP Professional x64 Edition SP2 (AMD64)"},
        {{"WIN51", "WIN51IS", "WIN51IS.SP1"},
         Architecture::X86,
         "Windows Server 2003, Standard Edition SP1 (x86)"},
        {{"WIN51", "WIN51IA", "WIN51IA.SP2"},
         Architecture::Amd64,
         "Windows Server 2003, Enterprise Edition SP2 (AMD64)"},
        {{"WIN51", "WIN51ID"}, Architecture::X86, "Windows Server 2003, Datacenter Edition (x86)"},
        {{"WIN51", "WIN51IB", "WIN51IB.SP1"},
         Architecture::X86,
         "Windows Server 2003, Web Edition SP1 (x86)"},
        {{"CDROM_NT.5", "CDROM_IP.5"}, Architecture::X86, "Windows 2000 Professional (x86)"},
        {{"CDROM_NT.5", "CDROM_IS.5"}, Architecture::X86, "Windows 2000 Server (x86)"},
        {{"CDROM_NT.5", "CDROM_IA.5"}, Architecture::X86, "Windows 2000 Advanced Server (x86)"},
        // A tag the table does not know shows as it is, with its level.
        {{"WIN51", "WIN51AS", "WIN51AS.SP2"}, Architecture::Amd64, "WIN51AS SP2 (AMD64)"},
        {{"CDROM_NT.5", "CDROM_XY.5"}, Architecture::X86, "CDROM_XY.5 (x86)"},
        // The family's mark alone, or nothing at all, names no edition.
        {{"WIN51", "README.TXT"}, Architecture::X86, "不明"},
        {{}, Architecture::X86, "不明"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editionText(c.names, c.architecture), c.expected) << c.expected;
    }
}

TEST(EditionTagsTest, line_reads_the_tags_in_the_root_of_a_folder) {
    test::TempDir dir;
    dir.write("cd/WIN51", "\r\n");
    dir.write("cd/win51ip", "\r\n");
    dir.write("cd/WIN51IP.SP3", "\r\n");
    dir.write("cd/I386/WIN51IC", "\r\n");
    EXPECT_EQ(editionLine(*Medium::open(dir / "cd"), Architecture::X86),
              "エディション：Windows XP Professional SP3 (x86)");
    EXPECT_EQ(editionLine(*Medium::open(dir / "missing"), Architecture::X86), "エディション：不明");
}

} // namespace
} // namespace ornibe
