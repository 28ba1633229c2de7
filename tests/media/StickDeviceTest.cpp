#include "media/StickDevice.h"

#include "support/TempDir.h"
#include "sys/FileIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace ornibe;
using namespace ornibe::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// The reason a stick was refused for; empty when it was taken.
std::string refusalOf(const Result<StickDevice>& checked) {
    return checked ? std::string() : checked.failure().reason;
}

TEST(StickDeviceTest, refuses_what_is_not_a_free_usb_stick_and_writes_one_that_is) {
    TempDir dir;
    // A 16 MiB stick with one partition, as the kernel shows it, and a
    // regular file standing in for its node. The stick holds old bytes
    // past what the image covers.
    const std::string root = dir.mkdir("host");
    const std::string sys = root + "/sys/block/sdz";
    dir.write("host/sys/block/sdz/removable", "1\n");
    dir.write("host/sys/block/sdz/size", "32768\n");
    dir.write("host/sys/block/sdz/dev", "8:208\n");
    dir.write("host/sys/block/sdz/device/vendor", "Acme    \n");
    dir.write("host/sys/block/sdz/device/model", "Flash Stick     \n");
    dir.write("host/sys/block/sdz/sdz1/partition", "1\n");
    dir.write("host/sys/block/sdz/sdz1/dev", "8:209\n");
    const std::string mountInfo =
        "22 1 253:1 / / rw,relatime shared:1 - ext4 /dev/mapper/root rw\n";
    dir.write("host/proc/self/mountinfo", mountInfo);
    const std::string node = dir.write("dev/sdz", std::string(6 << 20, '\xff'));
    dir.write("dev/sdz1", "");
    const std::string image = dir.write("xp-usb.img", std::string(3 << 20, 'i') + "end");

    StickDeviceRequest request{node, 3 << 20, {dir / "work", image}, root};
    Result<StickDevice> stick = checkStickDevice(request);
    ASSERT_TRUE(stick) << stick.failure().line();
    EXPECT_EQ(describeStickDevice(*stick), "Acme Flash Stick（" + node + "、16 MiB）");
    EXPECT_THAT(stick->numbers, ElementsAre("8:208", "8:209"));

    // Each refusal, one change at a time from the stick above.
    StickDeviceRequest partition = request;
    partition.node = dir / "dev/sdz1";
    EXPECT_THAT(refusalOf(checkStickDevice(partition)), HasSubstr("区画です"));

    StickDeviceRequest host = request;
    host.root = "/";
    EXPECT_THAT(refusalOf(checkStickDevice(host)), HasSubstr("ブロックデバイスではありません"));

    StickDeviceRequest larger = request;
    larger.imageBytes = (16 << 20) + 1;
    EXPECT_THAT(refusalOf(checkStickDevice(larger)), HasSubstr("容量が足りません"));

    dir.write("host/sys/block/sdz/removable", "0\n");
    EXPECT_THAT(refusalOf(checkStickDevice(request)), HasSubstr("取り外せるディスクではなく"));
    dir.write("host/sys/block/sdz/removable", "1\n");

    dir.write("host/proc/self/mountinfo",
              mountInfo + "40 22 8:209 / /media/user/STICK rw - vfat /dev/sdz1 rw\n");
    EXPECT_THAT(refusalOf(checkStickDevice(request)),
                HasSubstr("/dev/sdz1 が /media/user/STICK にマウントされています"));
    dir.write("host/proc/self/mountinfo", mountInfo);

    // The work folder, yet to be made, lies on the partition that the
    // temporary folder is on.
    struct stat st {};
    ASSERT_EQ(::stat(dir.path().c_str(), &st), 0);
    dir.write("host/sys/block/sdz/sdz1/dev",
              std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)) + "\n");
    EXPECT_THAT(refusalOf(checkStickDevice(request)),
                HasSubstr(dir / "work" + " がこの USB メモリの上にあります"));

    ASSERT_TRUE(writeStickDevice(image, *stick));
    EXPECT_EQ(readFile(node), readFile(image) + std::string((6 << 20) - (3 << 20) - 3, '\xff'));
}

} // namespace
