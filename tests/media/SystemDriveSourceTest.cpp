#include "media/SystemDriveSource.h"
#include "media/VolumeDescriptor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>

namespace ornibe {
namespace {

using test::TempDir;

// An ISO 9660 image head: sixteen empty sectors, then a primary volume
// descriptor naming the volume.
std::string isoHead(const std::string& label) {
    std::string bytes(17 * 2048, '\0');
    std::string pvd(2048, '\0');
    pvd[0] = 1;
    pvd.replace(1, 5, "CD001");
    pvd[6] = 1;
    std::string id = label + std::string(32 - label.size(), ' ');
    pvd.replace(40, 32, id);
    bytes.replace(16 * 2048, 2048, pvd);
    return bytes;
}

class SystemDriveSourceTest : public ::testing::Test {
protected:
    SystemDriveSourceTest() {
        paths.sysBlock = dir / "sys/class/block";
        paths.mountInfo = dir / "mountinfo";
        paths.byLabel = dir / "dev/disk/by-label";
        paths.dev = dir / "dev";
        dir.mkdir("dev/disk/by-label");
    }

    void blockDevice(const std::string& name, const std::string& number,
                     const std::string& content = "") {
        dir.write("sys/class/block/" + name + "/dev", number + "\n");
        dir.write("dev/" + name, content);
    }

    void mountLine(const std::string& number, const std::string& escapedPoint,
                   const std::string& fsType, const std::string& source) {
        mountInfo += "40 1 " + number + " / " + escapedPoint + " ro,relatime shared:7 - " + fsType +
                     " " + source + " ro\n";
    }

    SystemDriveSource source() {
        dir.write("mountinfo", mountInfo);
        return SystemDriveSource(paths, [this](const std::string& device) {
            auto it = status.find(device);
            return it == status.end() ? DiscStatus::Unknown : it->second;
        });
    }

    TempDir dir;
    MountTables paths;
    std::string mountInfo;
    std::map<std::string, DiscStatus> status;
};

TEST_F(SystemDriveSourceTest, machine_without_drives_lists_nothing) {
    blockDevice("sda", "8:0");
    mountLine("8:0", "/", "ext4", "/dev/sda");
    EXPECT_TRUE(source().listDrives().empty());
}

TEST_F(SystemDriveSourceTest, lists_optical_drives_in_number_order_then_cd_volumes) {
    blockDevice("sda", "8:0");
    blockDevice("sr10", "11:10");
    blockDevice("sr1", "11:1");
    blockDevice("sr0", "11:0");
    blockDevice("sr2", "11:2");
    std::string image = dir.write("images/xp.iso", isoHead("LOOPLBL"));
    blockDevice("loop0", "7:0");
    dir.write("sys/class/block/loop0/loop/backing_file", image + "\n");
    ASSERT_EQ(symlink((dir / "dev/sr1").c_str(), (dir / "dev/disk/by-label/WIN\\x20XP").c_str()),
              0);

    dir.mkdir("media/WIN XP");
    dir.mkdir("media/stale");
    dir.mkdir("mnt/iso");
    dir.mkdir("mnt/iso again");
    dir.mkdir("mnt/udf");
    mountLine("8:0", "/", "ext4", "/dev/sda");
    mountLine("11:1", dir / "media/WIN\\040XP", "iso9660", "/dev/sr1");
    mountLine("11:2", dir / "media/stale", "iso9660", "/dev/sr2");
    mountLine("7:0", dir / "mnt/iso\\040again", "iso9660", "/dev/loop0");
    mountLine("7:0", dir / "mnt/iso", "iso9660", "/dev/loop0");
    mountLine("0:99", dir / "mnt/udf", "udf", dir / "dev/unknown");
    mountLine("0:50", dir / "mnt/gone", "iso9660", "/dev/loop9");
    status[dir / "dev/sr2"] = DiscStatus::TrayOpen;

    std::vector<CdDrive> expected{
        {dir / "dev/sr0", dir / "dev/sr0", std::nullopt},
        {dir / "dev/sr1", dir / "media/WIN XP", "WIN XP"},
        {dir / "dev/sr2", dir / "dev/sr2", std::nullopt},
        {dir / "dev/sr10", dir / "dev/sr10", std::nullopt},
        {dir / "dev/loop0", dir / "mnt/iso again", "LOOPLBL"},
        {dir / "dev/unknown", dir / "mnt/udf", ""},
    };
    EXPECT_EQ(source().listDrives(), expected);
}

TEST_F(SystemDriveSourceTest, label_falls_back_to_the_volume_descriptor_of_the_device) {
    blockDevice("sr0", "11:0", isoHead("WXPFPP_JA"));
    dir.mkdir("media/cd");
    mountLine("11:0", dir / "media/cd", "iso9660", "/dev/sr0");
    status[dir / "dev/sr0"] = DiscStatus::DiscOk;
    std::vector<CdDrive> drives = source().listDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].label, "WXPFPP_JA");
    EXPECT_EQ(drives[0].root, dir / "media/cd");
}

TEST_F(SystemDriveSourceTest, unmounted_disc_is_read_through_its_device) {
    blockDevice("sr0", "11:0", isoHead("WXPFPP_JA"));
    blockDevice("sr1", "11:1", isoHead("EJECTED"));
    status[dir / "dev/sr1"] = DiscStatus::NoDisc;
    std::vector<CdDrive> expected{
        {dir / "dev/sr0", dir / "dev/sr0", "WXPFPP_JA"},
        {dir / "dev/sr1", dir / "dev/sr1", std::nullopt},
    };
    EXPECT_EQ(source().listDrives(), expected);
    EXPECT_EQ(deviceAccessProblem(dir / "dev/sr0"), "");
}

TEST_F(SystemDriveSourceTest, read_volume_finds_a_disc_by_device_or_mount_point) {
    blockDevice("sr0", "11:0");
    blockDevice("sr1", "11:1");
    dir.mkdir("media/cd");
    mountLine("11:1", dir / "media/cd", "udf", "/dev/sr1");
    SystemDriveSource drives = source();

    EXPECT_EQ(drives.readVolume(dir / "dev/sr0"), std::nullopt);
    std::optional<CdDrive> byDevice = drives.readVolume(dir / "dev/sr1");
    ASSERT_TRUE(byDevice);
    EXPECT_EQ(byDevice->root, dir / "media/cd");
    EXPECT_EQ(byDevice->label, "");
    EXPECT_TRUE(drives.readVolume(dir / "media/cd"));
    EXPECT_EQ(drives.readVolume(dir / "media/nothing"), std::nullopt);

    // The disc is mounted later: the same call now finds it.
    mountInfo += "";
    mountLine("11:0", dir / "media/cd", "iso9660", "/dev/sr0");
    SystemDriveSource later = source();
    EXPECT_TRUE(later.readVolume(dir / "dev/sr0"));
}

TEST_F(SystemDriveSourceTest, reads_iso_labels_and_refuses_other_files) {
    EXPECT_EQ(readIso9660Label(dir.write("a.iso", isoHead("A B"))), "A B");
    EXPECT_EQ(readIso9660Label(dir.write("short.iso", "CD001")), std::nullopt);
    std::string notIso = isoHead("X");
    notIso[16 * 2048 + 1] = 'X';
    EXPECT_EQ(readIso9660Label(dir.write("other.img", notIso)), std::nullopt);
    EXPECT_EQ(readIso9660Label(dir / "missing.iso"), std::nullopt);
}

TEST_F(SystemDriveSourceTest, status_of_a_file_that_is_no_drive_is_unknown) {
    EXPECT_EQ(queryDiscStatus(dir.write("plain", "x")), DiscStatus::Unknown);
    EXPECT_EQ(queryDiscStatus(dir / "missing"), DiscStatus::Unknown);
}

} // namespace
} // namespace ornibe
