#include "Cdimage.h"
#include "TestFiles.h"
#include "support/CommandRun.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::HasSubstr;

// Boots an image in QEMU from its El Torito entry; the boot image writes its
// report to the serial port, which is standard output here.
std::string bootAndReport(const std::string& image) {
    test::CommandResult run =
        test::runCommand({"timeout", "20", "qemu-system-i386", "-display", "none", "-serial",
                          "stdio", "-monitor", "none", "-device",
                          "isa-debug-exit,iobase=0xf4,iosize=0x04", "-cdrom", image, "-boot", "d"});
    // isa-debug-exit ends QEMU with (0x10 << 1) | 1; timeout gives 124.
    EXPECT_EQ(run.exitCode, 33) << run.output;
    return run.output;
}

class CdimageBoot : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::onPath("qemu-system-i386")) {
            GTEST_SKIP() << "qemu-system-i386 is not installed, so no image can be booted";
        }
        // The boot sector is assembled from its source for every run.
        test::CommandResult assembled =
            test::runCommand({"nasm", "-f", "bin", "-o", dir / "boot.bin",
                              std::string(ORNIBE_TEST_DATA) + "/find_setupldr_boot.asm"});
        ASSERT_EQ(assembled.exitCode, 0) << assembled.output;
        // Entries before and after I386 in the root, several in I386.
        dir.write("tree/CDROM_IP.5", "");
        dir.write("tree/DOCS/README.TXT", "readme");
        dir.write("tree/WIN51", "");
        for (int i = 0; i < 40; ++i) {
            dir.write("tree/i386/driver" + std::to_string(i) + ".sy_", test::noiseBytes(100, i));
        }
    }

    int makeImage(const std::string& image) {
        std::ostringstream out;
        std::ostringstream err;
        return runCdimage({"-lWXPFPP_JA", "-h", "-n", "-m", "-o", "-x", "-b" + (dir / "boot.bin"),
                           dir / "tree", image},
                          HostEnvironment(), out, err);
    }

    TempDir dir;
};

TEST_F(CdimageBoot, boot_sector_finds_setupldr_by_its_exact_name) {
    dir.write("tree/i386/setupldr.bin", test::noiseBytes(3000, 1));
    ASSERT_EQ(makeImage(dir / "cd.iso"), 0);

    std::string report = bootAndReport(dir / "cd.iso");

    EXPECT_THAT(report, HasSubstr("BOOT: I386\\SETUPLDR.BIN FOUND\r\n"));
}

TEST_F(CdimageBoot, boot_sector_reports_a_missing_or_misnamed_loader) {
    // Without the loader, and in an image whose names carry ";1" (what
    // xorriso writes by default), the exact-name lookup fails.
    dir.write("tree/i386/setupldr.bi_", test::noiseBytes(3000, 1));
    ASSERT_EQ(makeImage(dir / "without.iso"), 0);
    EXPECT_THAT(bootAndReport(dir / "without.iso"),
                HasSubstr("BOOT: I386\\SETUPLDR.BIN NOT FOUND\r\n"));

    dir.write("versioned/I386/SETUPLDR.BIN", "loader");
    dir.write("versioned/BOOT.BIN", test::slurp(dir / "boot.bin"));
    test::CommandResult made =
        test::runCommand({"xorriso", "-as", "mkisofs", "-quiet", "-o", dir / "versioned.iso", "-b",
                          "BOOT.BIN", "-no-emul-boot", "-boot-load-size", "4", dir / "versioned"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_THAT(bootAndReport(dir / "versioned.iso"),
                HasSubstr("BOOT: I386\\SETUPLDR.BIN NOT FOUND\r\n"));
}

} // namespace
} // namespace ornibe
