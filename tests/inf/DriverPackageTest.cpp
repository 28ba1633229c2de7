#include "inf/DriverPackage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using ::testing::Eq;
using ::testing::Pointee;

std::vector<std::string> keys(const OrderedTextMap& map) {
    std::vector<std::string> out;
    for (const auto& [key, value] : map)
        out.push_back(key);
    return out;
}

TEST(DriverPackage, lists_refuse_entries_equal_ignoring_case_and_keep_order) {
    DriverPackage package;
    package.AddCatalogFile("/m/drv/disk.cat");
    package.AddCatalogFile("/m/drv/DISK.CAT");
    package.AddCatalogFile("/m/drv/other.cat");
    package.AddServiceBinary("drv.sys");
    package.AddServiceBinary("Drv.Sys");
    package.AddInfFile("/m/a.inf");
    package.AddInfFile("/m/b.inf");
    package.AddInfFile("/M/A.INF");
    EXPECT_EQ(package.allCatalogFiles().entries(),
              (std::vector<std::string>{"/m/drv/disk.cat", "/m/drv/other.cat"}));
    EXPECT_EQ(package.serviceBinaries().size(), 1u);
    EXPECT_EQ(package.infFiles().entries(), (std::vector<std::string>{"/m/a.inf", "/m/b.inf"}));
}

TEST(DriverPackage, list_entries_past_the_end_read_empty) {
    DriverPackage package;
    package.AddInfFile("/m/a.inf");
    EXPECT_EQ(package.GetInfFile(0), "/m/a.inf");
    EXPECT_EQ(package.GetInfFile(1), "");
    EXPECT_EQ(package.GetCatalogFile(0), "");
    EXPECT_EQ(package.GetServiceBinary(5), "");
}

TEST(DriverPackage, case_of_double_byte_trail_bytes_is_not_folded_in_lists) {
    DriverPackage package;
    package.AddServiceBinary("\x82\x61.sys");
    package.AddServiceBinary("\x82\x41.sys");
    EXPECT_EQ(package.serviceBinaries().size(), 2u);
}

TEST(DriverPackage, maps_keep_the_first_value_and_compare_keys_exactly) {
    DriverPackage package;
    package.AddHardwareId("PCI\\VEN_1000&DEV_0030", "a");
    package.AddHardwareId("PCI\\VEN_1000&DEV_0030", "b");
    package.AddHardwareId("pci\\ven_1000&dev_0030", "c");
    package.AddDescription("Controller", "a");
    package.AddDescription("Controller", "");
    ASSERT_EQ(package.hardwareIdToService().size(), 2u);
    EXPECT_THAT(package.hardwareIdToService().find("PCI\\VEN_1000&DEV_0030"), Pointee(Eq("a")));
    EXPECT_THAT(package.hardwareIdToService().find("pci\\ven_1000&dev_0030"), Pointee(Eq("c")));
    EXPECT_THAT(package.descriptionToService().find("Controller"), Pointee(Eq("a")));
}

TEST(DriverPackage, maps_iterate_in_insertion_order) {
    DriverPackage package;
    for (const char* id : {"z", "a", "m", "b"})
        package.AddHardwareId(id, "s");
    EXPECT_EQ(keys(package.hardwareIdToService()), (std::vector<std::string>{"z", "a", "m", "b"}));
}

TEST(DriverPackage, file_targets_are_stored_below_the_windows_folder) {
    DriverPackage package;
    package.AddFileTarget("/m/drv.sys", "C:\\WINDOWS\\system32\\drivers");
    package.AddFileTarget("/m/win.dll", "C:\\WINDOWS");
    package.AddFileTarget("/m/lower.dll", "c:\\windows\\system32");
    package.AddFileTarget("/m/drv.sys", "C:\\WINDOWS\\system32");
    const OrderedTextMap& targets = package.fileToTargetDir();
    EXPECT_THAT(targets.find("/m/drv.sys"), Pointee(Eq("system32\\drivers")));
    EXPECT_THAT(targets.find("/m/win.dll"), Pointee(Eq("\\")));
    EXPECT_THAT(targets.find("/m/lower.dll"), Pointee(Eq("system32")));
    EXPECT_EQ(keys(targets),
              (std::vector<std::string>{"/m/drv.sys", "/m/win.dll", "/m/lower.dll"}));
}

TEST(DriverPackage, targets_outside_the_windows_folder_go_to_the_windows_folder) {
    DriverPackage package;
    package.AddFileTarget("/m/a.exe", "C:\\Program Files\\Vendor");
    package.AddFileTarget("/m/b.exe", "C:\\WINDOWSX\\tools");
    package.AddFileTarget("/m/c.exe", "");
    EXPECT_THAT(package.fileToTargetDir().find("/m/a.exe"), Pointee(Eq("\\")));
    EXPECT_THAT(package.fileToTargetDir().find("/m/b.exe"), Pointee(Eq("\\")));
    EXPECT_THAT(package.fileToTargetDir().find("/m/c.exe"), Pointee(Eq("\\")));
}

TEST(DriverPackage, clear_empties_every_list_and_map) {
    DriverPackage package;
    package.AddCatalogFile("/m/a.cat");
    package.AddServiceBinary("a.sys");
    package.AddInfFile("/m/a.inf");
    package.AddHardwareId("id", "a");
    package.AddDescription("d", "a");
    package.AddFileTarget("/m/a.sys", "C:\\WINDOWS\\system32");
    package.Clear();
    EXPECT_TRUE(package.allCatalogFiles().empty());
    EXPECT_TRUE(package.serviceBinaries().empty());
    EXPECT_TRUE(package.infFiles().empty());
    EXPECT_TRUE(package.hardwareIdToService().empty());
    EXPECT_TRUE(package.descriptionToService().empty());
    EXPECT_TRUE(package.fileToTargetDir().empty());
    // Cleared entries may be added again.
    package.AddCatalogFile("/m/A.CAT");
    package.AddHardwareId("id", "b");
    EXPECT_EQ(package.GetCatalogFile(0), "/m/A.CAT");
    EXPECT_THAT(package.hardwareIdToService().find("id"), Pointee(Eq("b")));
}

} // namespace
} // namespace ornibe
