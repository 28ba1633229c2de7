// The PE reader over the stand-in drivers and kernel that mingw-w64
// builds: what it reads from a sound image, and that a damaged one is
// refused with a reason, never read past its end.
#include "inf/PeImage.h"

#include "support/StandIns.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ornibe {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

void put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::uint32_t get32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

TEST(PeImage, reads_machine_subsystem_imports_and_exports) {
    ORNIBE_REQUIRE_STAND_INS();
    Result<PeImage> driver = readPeImage(test::slurp(test::standIn("X86/ORCLEAN.SYS")), "d");
    ASSERT_TRUE(driver) << driver.failure().reason;
    EXPECT_EQ(driver->machine, kPeMachineX86);
    EXPECT_EQ(driver->subsystemMajor, 5);
    EXPECT_EQ(driver->subsystemMinor, 1);
    std::map<std::string, std::vector<std::string>> imports;
    for (const PeImportedModule& module : driver->imports) {
        imports[module.name] = module.functions;
    }
    EXPECT_THAT(imports, ElementsAre(Pair("SCSIPORT.SYS", ElementsAre("ScsiPortInitialize")),
                                     Pair("hal.dll", ElementsAre("KeGetCurrentIrql")),
                                     Pair("ntoskrnl.exe", ElementsAre("IoCreateDevice"))));

    Result<PeImage> x64 = readPeImage(test::slurp(test::standIn("X64/ORCLEAN.SYS")), "d");
    ASSERT_TRUE(x64) << x64.failure().reason;
    EXPECT_EQ(x64->machine, kPeMachineX64);
    EXPECT_EQ(x64->imports.size(), 2u);

    Result<PeImage> kernel = readPeImage(test::slurp(test::standIn("X86/cd/NTOSKRNL.EXE")), "k");
    ASSERT_TRUE(kernel) << kernel.failure().reason;
    EXPECT_THAT(kernel->exportNames,
                ElementsAre("ExAllocatePoolWithTag", "IoCreateDevice", "KeBugCheckEx"));
    EXPECT_THAT(kernel->exportOrdinals, ElementsAre(1u, 2u, 3u));
    EXPECT_TRUE(kernel->exports("KeBugCheckEx"));
    EXPECT_FALSE(kernel->exports("KeQueryActiveProcessorCountEx"));
}

TEST(PeImage, a_damaged_image_is_refused_with_its_reason_and_never_read_past_its_end) {
    ORNIBE_REQUIRE_STAND_INS();
    const std::string sound = test::slurp(test::standIn("X86/ORCLEAN.SYS"));
    // Every shorter copy is refused with a reason, or read whole when its
    // tables all lie before the cut; the sanitizer build catches a read
    // past it.
    Result<PeImage> whole = readPeImage(sound, "whole");
    ASSERT_TRUE(whole);
    std::size_t refused = 0;
    for (std::size_t size = 0; size < sound.size(); ++size) {
        Result<PeImage> cut = readPeImage(std::string_view(sound).substr(0, size), "cut");
        if (!cut) {
            ++refused;
            EXPECT_THAT(cut.failure().reason, HasSubstr("Windows のドライバーとして読めません"));
            EXPECT_EQ(cut.failure().path, "cut");
        } else {
            EXPECT_EQ(cut->imports.size(), whole->imports.size()) << size;
            EXPECT_EQ(cut->exportNames, whole->exportNames) << size;
        }
    }
    EXPECT_GT(refused, 1000u);

    const std::size_t coff = get32(sound, 0x3C) + 4;
    const std::size_t optional = coff + 20;
    auto refusedFor = [&](std::string bytes) {
        Result<PeImage> image = readPeImage(bytes, "bad");
        return image ? std::string("read") : image.failure().reason;
    };
    std::string notPe = sound;
    notPe[0] = 'X';
    EXPECT_THAT(refusedFor(notPe), HasSubstr("MZ の印がありません"));
    std::string farHeader = sound;
    put32(farHeader, 0x3C, 0xFFFFFFF0);
    EXPECT_THAT(refusedFor(farHeader), HasSubstr("PE の印がありません"));
    std::string manySections = sound;
    put16(manySections, coff + 2, 0xFFFF);
    EXPECT_THAT(refusedFor(manySections), HasSubstr("セクションが多すぎます"));
    // The import directory (data directory 1 of a PE32 header) moved
    // outside every section.
    std::string farImports = sound;
    put32(farImports, optional + 104, 0x7FFFFF00);
    EXPECT_THAT(refusedFor(farImports), HasSubstr("取り込みの表がファイルの外を指しています"));
    // The export table claiming more names than the limit.
    Result<PeImage> driver = readPeImage(sound, "d");
    ASSERT_TRUE(driver);
    std::string manyExports = sound;
    const std::uint32_t exportRva = get32(sound, optional + 96);
    ASSERT_NE(exportRva, 0u);
    // The export table sits at the start of its section: find that
    // section's file offset from the section table.
    const std::size_t sections = optional + (get32(sound, coff + 16) & 0xFFFF);
    std::size_t exportAt = 0;
    for (std::size_t s = sections; s < sections + 40 * (sound[coff + 2] & 0xFF); s += 40) {
        if (get32(sound, s + 12) == exportRva) {
            exportAt = get32(sound, s + 20);
        }
    }
    ASSERT_NE(exportAt, 0u);
    put32(manyExports, exportAt + 24, 0x00100000);
    EXPECT_THAT(refusedFor(manyExports), HasSubstr("公開する関数が多すぎます"));
}

} // namespace
} // namespace ornibe
