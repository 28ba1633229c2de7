#include "media/BootImage.h"

#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// Overwrites bytes of a file in place.
void patch(const std::string& path, std::uint64_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The line of a failure; the empty text for success.
std::string problemOf(const Outcome& outcome) {
    return outcome ? std::string() : outcome.failure().line();
}

std::string problemOf(const Result<BootImage>& found) {
    return found ? std::string() : found.failure().line();
}

class BootImageTest : public ::testing::Test {
protected:
    void SetUp() override { dir.write("tree/I386/TXTSETUP.SIF", "sif"); }
    TempDir dir;
};

TEST_F(BootImageTest, hidden_boot_image_comes_out_as_it_went_in) {
    // Four 512-byte sectors load; the file behind them is longer, as a
    // Windows CD's is, and only the loaded part is the boot image.
    std::string boot = noise(2048, 7);
    dir.write("boot.img", boot);
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "cd.iso", booting(dir / "boot.img")));
    EXPECT_EQ(bootEntrySummary(dir / "cd.iso"), "none 4");

    Result<BootImage> found = findBootImage(dir / "cd.iso");
    ASSERT_TRUE(found) << found.failure().reason;
    EXPECT_EQ(found->sectors, 4u);
    EXPECT_EQ(problemOf(writeBootImage(dir / "cd.iso", dir / "BOOTSECT.BIN")), "");
    EXPECT_EQ(slurp(dir / "BOOTSECT.BIN"), boot);

    // Replaced whole when it is there already.
    dir.write("big/BOOTSECT.BIN", std::string(9000, 'o'));
    EXPECT_EQ(problemOf(writeBootImage(dir / "cd.iso", dir / "big/BOOTSECT.BIN")), "");
    EXPECT_EQ(slurp(dir / "big/BOOTSECT.BIN"), boot);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "big"), {}), 1);
}

TEST_F(BootImageTest, sources_without_a_usable_entry_say_why) {
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "no-boot.iso", {}));
    EXPECT_EQ(problemOf(findBootImage(dir / "no-boot.iso")), "ブートカタログがありません");

    dir.write("boot.img", noise(2048, 3));
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "cd.iso", booting(dir / "boot.img")));
    std::string past = dir / "past-end.iso";
    std::filesystem::copy_file(dir / "cd.iso", past);
    // The boot record's catalog pointer (sector 17, bytes 71 to 74).
    patch(past, 17 * 2048 + 71, std::string("\xff\xff\xff\x0f", 4));
    EXPECT_EQ(problemOf(findBootImage(past)), "ブートカタログがイメージの外を指しています");

    std::uint32_t catalog = 0;
    {
        std::ifstream in(dir / "cd.iso", std::ios::binary);
        in.seekg(17 * 2048 + 71);
        unsigned char bytes[4];
        in.read(reinterpret_cast<char*>(bytes), 4);
        catalog = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    }
    std::string floppy = dir / "floppy.iso";
    std::filesystem::copy_file(dir / "cd.iso", floppy);
    patch(floppy, catalog * 2048 + 33, "\x02"); // 1.44 MB floppy emulation
    EXPECT_EQ(problemOf(findBootImage(floppy)),
              "ブートイメージがエミュレーションなし (no emulation) ではありません");
    EXPECT_EQ(problemOf(writeBootImage(floppy, dir / "BOOTSECT.BIN")),
              "ブートイメージがエミュレーションなし (no emulation) ではありません");
    EXPECT_FALSE(std::filesystem::exists(dir / "BOOTSECT.BIN"));

    std::string beyond = dir / "beyond.iso";
    std::filesystem::copy_file(dir / "cd.iso", beyond);
    patch(beyond, catalog * 2048 + 40, std::string("\xff\xff\xff\x00", 4));
    EXPECT_EQ(problemOf(findBootImage(beyond)), "ブートイメージがイメージの外を指しています");

    EXPECT_EQ(problemOf(findBootImage(dir / "missing.iso")), "No such file or directory");
}

TEST_F(BootImageTest, mounted_volume_is_traced_to_its_device_or_backing_image) {
    dir.write("boot.img", noise(2048, 5));
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "cd.iso", booting(dir / "boot.img")));
    std::string loopMount = dir.mkdir("media/WXP CD");
    std::string discMount = dir.mkdir("media/disc");
    std::string copy = dir.mkdir("copy");
    // Mount points with a space are written \040 in the mount table.
    dir.write("mountinfo", "36 25 7:3 / " + dir / "media/WXP\\040CD" +
                               " ro,relatime shared:1 - iso9660 /dev/loop3 ro\n"
                               "37 25 11:0 / " +
                               discMount + " ro - udf /dev/sr0 ro\n" + "38 25 8:1 / " + copy +
                               " rw - ext4 /dev/sda1 rw\n");
    dir.write("sys/7:3/loop/backing_file", dir / "cd.iso" + "\n");
    dir.write("sys/11:0/uevent", "MAJOR=11\nMINOR=0\nDEVNAME=sr0\nDEVTYPE=disk\n");
    MountTables tables{dir / "mountinfo", dir / "sys", "/dev"};

    EXPECT_EQ(bootSourceOf(loopMount, tables), dir / "cd.iso");
    EXPECT_EQ(bootSourceOf(discMount, tables), "/dev/sr0");
    EXPECT_EQ(bootSourceOf(copy, tables), "");
    EXPECT_EQ(bootSourceOf(dir / "cd.iso", tables), dir / "cd.iso");
    EXPECT_EQ(bootSourceOf(dir / "nowhere", tables), "");
}

} // namespace
