// Driver floppies' TXTSETUP.OEM files as vendors ship them, read where
// they stand: the entries, defaults, services, hardware IDs and [Config]
// sections each file names, with the ways they break the documented form.
#include "inf/OemEntryPackage.h"
#include "inf/TxtsetupOem.h"
#include "support/RealFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

class RealTxtsetupOem : public ::testing::Test {
protected:
    void SetUp() override { test::requireRealFixture("txtsetup-oem"); }
};

struct Expected {
    std::string id;
    std::string description;
    std::string service;
    std::vector<std::string> ids;
    // Whether [Files.scsi.ID] is there.
    bool hasFiles;
    std::string configSection;
    std::size_t configValues;
};

struct FileCase {
    std::string relative;
    std::string defaultId;
    std::size_t disks;
    std::vector<Expected> entries;
};

TEST_F(RealTxtsetupOem, each_file_lists_its_entries_default_services_ids_and_config_as_written) {
    const std::string virtioId = "PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4&REV_00";
    const std::vector<std::string> acardIds = {"PCI\\VEN_1191&DEV_808a", "PCI\\VEN_1191&DEV_8002",
                                               "PCI\\VEN_1191&DEV_8010", "PCI\\VEN_1191&DEV_8020",
                                               "PCI\\VEN_1191&DEV_8030", "PCI\\VEN_1191&DEV_8040"};
    const std::vector<FileCase> cases = {
        {"virtio-win-vfd-i386/txtsetup-i386.oem",
         "WXP32",
         2,
         {{"WXP32",
           "Red Hat VirtIO BLOCK Disk Device WinXP/32-bit",
           "viostor",
           {virtioId},
           true,
           "Config.WXP32",
           1},
          {"WNET32",
           "Red Hat VirtIO BLOCK Disk Device Win2003/32-bit",
           "viostor",
           {virtioId},
           true,
           "Config.WNET32",
           1}}},
        {"virtio-win-vfd-amd64/txtsetup-amd64.oem",
         "WNET64",
         1,
         {{"WNET64",
           "Red Hat VirtIO BLOCK Disk Device Win2003/64-bit",
           "viostor",
           {virtioId},
           true,
           "Config.WNET64",
           1}}},
        // "#" comments inside sections, and a disk whose directory is the
        // root: "\" at the end of the line is no continuation.
        {"nvme2k-w2k/TXTSETUP.OEM",
         "NVME2K",
         1,
         {{"NVME2K",
           "NVMe Storage Controller Driver for Windows 2000",
           "nvme2k",
           {"PCI\\CC_010802"},
           true,
           "Config.scsi.NVME2K",
           6}}},
        // CR LF, no final line end, a ";" comment after an ID.
        {"genahci/txtsetup.oem",
         "storahci_x86",
         2,
         {{"storahci_x86",
           "StorAhci SATA AHCI Controller x86",
           "storahci",
           {"PCI\\CC_010601"},
           true,
           "Config.storahci",
           2},
          {"storahci_x64",
           "StorAhci SATA AHCI Controller x64",
           "storahci",
           {"PCI\\CC_010601"},
           true,
           "Config.storahci",
           2}}},
        {"svbus/txtsetup.oem",
         "svbusx86",
         1,
         {{"svbusx86",
           "SVBus Virtual SCSI Host Adapter x86",
           "svbusx86",
           {"ROOT\\svbusx86", "DETECTED\\svbusx86"},
           true,
           "",
           0},
          {"svbusx64",
           "SVBus Virtual SCSI Host Adapter x64",
           "svbusx64",
           {"ROOT\\svbusx64", "DETECTED\\svbusx64"},
           true,
           "",
           0}}},
        // No file sections; each HardwareIds section twice, merged.
        {"acard-aec671x/TXTSETUP.OEM",
         "AEC671xx",
         2,
         {{"AEC671xa", "ACARD AEC-671X SCSI ADAPTER-amd64 platform ", "", acardIds, false, "", 0},
          {"AEC671xx", "ACARD AEC-671X SCSI ADAPTER-Intel Compatible. (Normal PCs)", "", acardIds,
           false, "", 0}}},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.relative);
        Result<TxtsetupOem> oem = readTxtsetupOem(test::realFixture("txtsetup-oem/" + c.relative));
        ASSERT_TRUE(oem) << oem.failure().line();
        EXPECT_EQ(oem->defaultId, c.defaultId);
        EXPECT_EQ(oem->disks.size(), c.disks);
        ASSERT_EQ(oem->entries.size(), c.entries.size());
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            const OemEntry& entry = oem->entries[i];
            const Expected& expected = c.entries[i];
            SCOPED_TRACE(expected.id);
            EXPECT_EQ(entry.id, expected.id);
            EXPECT_EQ(entry.description, expected.description);
            EXPECT_EQ(oemEntryService(entry), expected.service);
            std::vector<std::string> ids;
            for (const auto& [id, service] : entry.hardwareIds) {
                ids.push_back(id);
            }
            EXPECT_EQ(ids, expected.ids);
            EXPECT_EQ(entry.hasFiles, expected.hasFiles);
            EXPECT_EQ(entry.configSections, expected.configSection.empty()
                                                ? std::vector<std::string>{}
                                                : std::vector<std::string>{expected.configSection});
            EXPECT_EQ(entry.config.size(), expected.configValues);
        }
    }
}

TEST_F(RealTxtsetupOem, disks_files_and_config_values_read_field_by_field) {
    Result<TxtsetupOem> virtio =
        readTxtsetupOem(test::realFixture("txtsetup-oem/virtio-win-vfd-i386/txtsetup-i386.oem"));
    ASSERT_TRUE(virtio);
    EXPECT_EQ(virtio->disks[1].id, "d2");
    EXPECT_EQ(virtio->disks[1].tagFile, "\\disk1");
    EXPECT_EQ(virtio->disks[1].directory, "\\i386\\Win2003");
    const OemEntry* wnet = virtio->entry("wnet32");
    ASSERT_NE(wnet, nullptr);
    ASSERT_EQ(wnet->files.size(), 3u);
    EXPECT_EQ(wnet->files[2].kind, "catalog");
    EXPECT_EQ(wnet->files[2].disk, "d2");
    EXPECT_EQ(wnet->files[2].name, "viostor.cat");
    ASSERT_NE(wnet->driver(), nullptr);
    EXPECT_EQ(wnet->driver()->driverKey, "viostor");

    Result<TxtsetupOem> nvme =
        readTxtsetupOem(test::realFixture("txtsetup-oem/nvme2k-w2k/TXTSETUP.OEM"));
    ASSERT_TRUE(nvme);
    EXPECT_EQ(nvme->disks[0].directory, "\\");
    const OemEntry& entry = nvme->entries[0];
    EXPECT_EQ(entry.keyName, "nvme2k");
    // Tag, Type, Start, Group, ErrorControl on the service key are set by
    // [SCSI.Load]; only Parameters\PnpInterface is written.
    std::vector<std::string> written;
    for (const OemConfigValue& value : entry.config) {
        if (!setByServiceLoad(value)) {
            written.push_back(value.subkey + "|" + value.name + "|" + value.type + "|" +
                              value.data.at(0));
        }
    }
    EXPECT_EQ(written, std::vector<std::string>{"Parameters\\PnpInterface|5|REG_DWORD|1"});
    EXPECT_EQ(entry.config[0].data.at(0), "33");
    EXPECT_EQ(addRegData(entry.config[0], 0x00010001), std::vector<std::string>{"0x33"});

    Result<TxtsetupOem> genahci =
        readTxtsetupOem(test::realFixture("txtsetup-oem/genahci/txtsetup.oem"));
    ASSERT_TRUE(genahci);
    const OemConfigValue& busType = genahci->entries[0].config[1];
    EXPECT_EQ(busType.subkey, "Parameters");
    EXPECT_EQ(busType.name, "BusType");
    EXPECT_EQ(addRegData(busType, 0x00010001), std::vector<std::string>{"0x0000000B"});
}

} // namespace
} // namespace ornibe
