// Which drivers of a pack are taken: against a target's disk controllers
// as Windows ranks IDs, and without a target with conflicts settled.
#include "check/DriverPackChoice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using ::testing::HasSubstr;

PciDevice controller(std::string slot, unsigned vendor, unsigned device, unsigned classCode,
                     unsigned progIf) {
    PciDevice pci;
    pci.slot = std::move(slot);
    pci.name = "controller";
    pci.vendor = vendor;
    pci.device = device;
    pci.classCode = classCode;
    pci.progIf = progIf;
    pci.subVendor = 0x1AF4;
    pci.subDevice = 0x1100;
    pci.hasSubsystem = true;
    pci.revision = 2;
    return pci;
}

ChoiceDriver driver(std::string name, std::vector<std::string> ids, std::string driverVer,
                    std::vector<PackFile> files = {}, std::string cannotLoad = {}) {
    return {std::move(name), std::move(ids), std::move(driverVer), std::move(files),
            std::move(cannotLoad)};
}

// A pack that meets every rule: a class-code driver, two versions of one
// Intel driver and a more specific one that cannot load, two LSI drivers of
// which the newer brings a file of the Intel driver's name with other
// bytes, an NVMe driver for a device the target lacks, and a Marvell
// driver the user also named.
std::vector<ChoiceDriver> pack() {
    return {
        driver("generic", {"PCI\\CC_0106"}, "01/01/2010,1.0"),
        driver("ich9", {"pci\\ven_8086&dev_2922"}, "06/01/2008,8.2",
               {{"ICH.SYS", 100, 1}, {"SHARED.DLL", 5, 9}}),
        driver("ich9-subsys", {"PCI\\VEN_8086&DEV_2922&SUBSYS_11001AF4"}, "01/01/2009,9.0", {},
               "ICH9S.SYS: 取り込むモジュール STORPORT.SYS が CD にありません。"),
        driver("ich9-old", {"PCI\\VEN_8086&DEV_2922"}, "06/01/2006,7.0"),
        driver("lsi", {"PCI\\VEN_1000&DEV_0030"}, "01/01/2007,1.2", {{"SHARED.DLL", 5, 9}}),
        driver("lsi-b", {"PCI\\VEN_1000&DEV_0030"}, "02/01/2009,1.0", {{"ICH.SYS", 100, 3}}),
        driver("nvme", {"PCI\\VEN_144D&DEV_A808"}, ""),
        driver("marvell", {"PCI\\VEN_1B4B&DEV_9123"}, "01/01/2005,1.0"),
    };
}

ChoiceDriver named() {
    return driver("named", {"PCI\\VEN_1B4B&DEV_9123"}, "");
}

std::string whyLeftOut(const PackChoice& choice, std::size_t driver) {
    for (const LeftOutDriver& left : choice.leftOut) {
        if (left.driver == driver) {
            return left.why;
        }
    }
    return "(taken)";
}

TEST(DriverPackChoice, each_controller_takes_the_most_specific_loadable_newest_driver) {
    PciDevice network = controller("00:19.0", 0x8086, 0x10F5, 0x0200, 0);
    const std::vector<PciDevice> devices{controller("00:1f.2", 0x8086, 0x2922, 0x0106, 0x01),
                                         network,
                                         controller("00:10.0", 0x1000, 0x0030, 0x0100, 0x00),
                                         controller("03:00.0", 0x1B4B, 0x9123, 0x0106, 0x01)};
    const PackChoice choice = choosePackDrivers(pack(), named(), devices);

    ASSERT_EQ(choice.controllers.size(), 3u);
    EXPECT_EQ(choice.controllers[0].controller, "00:1f.2 controller");
    EXPECT_EQ(choice.controllers[0].chosen, 1u);
    EXPECT_THAT(choice.controllers[0].why, HasSubstr("PCI\\VEN_8086&DEV_2922 で一致"));
    // The newer LSI driver brings ICH.SYS with other bytes than the one
    // taken: the next is weighed.
    EXPECT_EQ(choice.controllers[1].chosen, 4u);
    EXPECT_EQ(choice.controllers[2].chosen, kNamedDrivers);
    EXPECT_EQ(choice.taken, (std::vector<std::size_t>{1, 4}));

    EXPECT_THAT(whyLeftOut(choice, 0), HasSubstr("ich9 に負けました"));
    EXPECT_THAT(whyLeftOut(choice, 0), HasSubstr("具体的"));
    EXPECT_THAT(whyLeftOut(choice, 2), HasSubstr("読み込めません：ICH9S.SYS"));
    EXPECT_THAT(whyLeftOut(choice, 3), HasSubstr("DriverVer 06/01/2008,8.2 の方が新しい"));
    EXPECT_THAT(whyLeftOut(choice, 5), HasSubstr("中身の違うファイル ICH.SYS"));
    EXPECT_EQ(whyLeftOut(choice, 6), "一致するディスクコントローラがありません");
    EXPECT_THAT(whyLeftOut(choice, 7), HasSubstr("指定したドライバ"));

    // A controller that only the class-code driver claims takes it, and
    // says so; one that nothing claims says that.
    const PackChoice generic = choosePackDrivers(
        pack(), named(),
        std::vector<PciDevice>{controller("00:1f.5", 0x8086, 0x3A22, 0x0106, 0x01),
                               controller("00:1f.6", 0x1022, 0x7801, 0x0104, 0x00)});
    ASSERT_EQ(generic.controllers.size(), 2u);
    EXPECT_EQ(generic.controllers[0].chosen, 0u);
    EXPECT_THAT(generic.controllers[0].why, HasSubstr("PCI\\CC_0106 で一致（クラスコードのみ）"));
    EXPECT_FALSE(generic.controllers[1].chosen);
    EXPECT_EQ(generic.taken, (std::vector<std::size_t>{0}));
}

TEST(DriverPackChoice, without_a_target_every_loadable_driver_is_taken_but_for_conflicts) {
    const PackChoice choice = choosePackDrivers(pack(), named(), std::nullopt);

    EXPECT_TRUE(choice.controllers.empty());
    // Weighed newest first, device-naming drivers before the class-code one.
    EXPECT_EQ(choice.taken, (std::vector<std::size_t>{0, 3, 5, 6}));
    EXPECT_THAT(whyLeftOut(choice, 1), HasSubstr("lsi-b に負けました"));
    EXPECT_THAT(whyLeftOut(choice, 1), HasSubstr("ICH.SYS"));
    EXPECT_THAT(whyLeftOut(choice, 2), HasSubstr("読み込めません"));
    EXPECT_THAT(whyLeftOut(choice, 4), HasSubstr("同じ ID PCI\\VEN_1000&DEV_0030"));
    EXPECT_THAT(whyLeftOut(choice, 4), HasSubstr("DriverVer 02/01/2009,1.0 の方が新しい"));
    EXPECT_THAT(whyLeftOut(choice, 7), HasSubstr("指定したドライバ に負けました"));

    // The same file with the same bytes is no conflict.
    const std::vector<ChoiceDriver> same = {
        driver("a", {"PCI\\VEN_1&DEV_1"}, "", {{"X.SYS", 1, 1}}),
        driver("b", {"PCI\\VEN_1&DEV_2"}, "", {{"X.SYS", 1, 1}})};
    EXPECT_EQ(choosePackDrivers(same, {}, std::nullopt).taken, (std::vector<std::size_t>{0, 1}));
}

TEST(DriverPackChoice, driver_versions_compare_by_date_then_by_each_number) {
    EXPECT_GT(compareDriverVer("01/02/2009,2.0", "12/31/2008,9.9"), 0);
    EXPECT_GT(compareDriverVer("12/31/2008,9.9", "01/02/2008,9.9"), 0);
    EXPECT_GT(compareDriverVer("06/01/2008,1.10", "06/01/2008,1.9"), 0);
    EXPECT_LT(compareDriverVer("06/01/2008", "06/01/2008,1.0"), 0);
    EXPECT_EQ(compareDriverVer("6/1/2008, 1.0", "06/01/2008,1.0"), 0);
    EXPECT_LT(compareDriverVer("", "01/01/1999"), 0);
    EXPECT_EQ(compareDriverVer("", ""), 0);
}

} // namespace
} // namespace ornibe
