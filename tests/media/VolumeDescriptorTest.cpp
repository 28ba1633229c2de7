#include "media/VolumeDescriptor.h"

#include "media/IsoImageReader.h"
#include "media/SystemDriveSource.h"

#include "support/CommandRun.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using namespace std::string_literals;
using test::TempDir;

// The image with the 32 bytes of its primary volume descriptor's volume
// identifier (sector 16, bytes 40 to 71) replaced by field.
std::string withVolumeField(std::string image, const std::string& field) {
    EXPECT_EQ(field.size(), 32u);
    image.replace(16 * 2048 + 40, 32, field);
    return image;
}

class VolumeDescriptorTest : public ::testing::Test {
protected:
    // The label that the drive list shows for the image, loop-mounted as
    // a desktop mounts it: a loop device with the image as its backing
    // file, and no label known to udev.
    std::optional<std::string> driveListLabel(const std::string& image) {
        TempDir host;
        host.write("sys/class/block/loop0/dev", "7:0\n");
        host.write("sys/class/block/loop0/loop/backing_file", image + "\n");
        host.write("dev/loop0", "");
        host.mkdir("dev/disk/by-label");
        host.mkdir("mnt/cd");
        host.write("mountinfo", "40 1 7:0 / " + (host / "mnt/cd") +
                                    " ro,relatime shared:7 - iso9660 /dev/loop0 ro\n");
        MountTables tables;
        tables.sysBlock = host / "sys/class/block";
        tables.mountInfo = host / "mountinfo";
        tables.byLabel = host / "dev/disk/by-label";
        tables.dev = host / "dev";
        std::vector<CdDrive> drives = SystemDriveSource(tables, [](const std::string&) {
                                          return DiscStatus::Unknown;
                                      }).listDrives();
        if (drives.size() != 1) {
            ADD_FAILURE() << drives.size() << " drives listed for " << image;
            return std::nullopt;
        }
        return drives[0].label;
    }

    // The label that the image reader reads; nothing when it cannot read
    // the image.
    static std::optional<std::string> readerLabel(const std::string& image) {
        IsoImageReader reader(image);
        EXPECT_TRUE(reader.ok()) << image << ": " << reader.error();
        return reader.ok() ? std::optional<std::string>(reader.label()) : std::nullopt;
    }

    TempDir dir;
};

// The drive list, the image reader and the earlier-image check read the
// volume descriptor in one place: padding of spaces or NULs goes, the label
// ends at a NUL, and an image grown by a second session shows that
// session's label.
TEST_F(VolumeDescriptorTest, drive_list_and_image_reader_read_one_label) {
    dir.write("tree/I386/TXTSETUP.SIF", "[Version]\r\n");
    ASSERT_TRUE(test::makeIsoImage(dir / "tree", dir / "plain.iso", test::labelled("PLAIN")));
    const std::string plain = test::slurp(dir / "plain.iso");

    struct Case {
        std::string name;
        std::string field;
        std::string label;
    };
    const std::vector<Case> cases{
        {"spaces", "WXPFPP_JA" + std::string(23, ' '), "WXPFPP_JA"},
        {"nuls", "A B" + std::string(29, '\0'), "A B"},
        {"spaces_then_nuls", "LABEL   " + std::string(24, '\0'), "LABEL"},
        {"text_after_a_nul", "AB\0CD"s + std::string(27, ' '), "AB"},
        {"full", std::string(32, 'X'), std::string(32, 'X')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = dir.write(c.name + ".iso", withVolumeField(plain, c.field));
        EXPECT_EQ(readIso9660Label(image), c.label);
        EXPECT_EQ(driveListLabel(image), c.label);
        EXPECT_EQ(readerLabel(image), c.label);
        EXPECT_TRUE(hasIso9660Signature(image));
    }

    // Two sessions written by xorriso, each with its own label.
    dir.write("first/ONE.TXT", "one");
    dir.write("second/TWO.TXT", "two");
    const std::string grown = dir / "grown.iso";
    for (const auto& [label, tree] : {std::pair{"FIRST", "first"}, std::pair{"SECOND", "second"}}) {
        test::CommandResult run =
            test::runCommand({"xorriso", "-dev", grown, "-volid", label, "-map", dir / tree,
                              "/" + std::string(tree), "-commit"});
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }
    ASSERT_NE(test::runCommand({"xorriso", "-indev", grown, "-toc"}).output.find("2 sessions"),
              std::string::npos);
    EXPECT_EQ(readIso9660Label(grown), "SECOND");
    EXPECT_EQ(driveListLabel(grown), "SECOND");
    EXPECT_EQ(readerLabel(grown), "SECOND");
    EXPECT_TRUE(hasIso9660Signature(grown));
}

} // namespace
} // namespace ornibe
