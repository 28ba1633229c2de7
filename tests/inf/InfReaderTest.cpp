#include "inf/InfReader.h"

#include "InfTestText.h"
#include "inf/DriverPackage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace ornibe {
namespace {

const std::string& kVersion = test::kVersionSection;

// Writes drv/disk.inf below the folder and opens a reader on it.
std::string writeInf(const test::TempDir& dir, const std::string& body,
                     const std::string& name = "drv/disk.inf") {
    return dir.write(name, kVersion + body);
}

std::vector<std::pair<std::string, std::string>> entries(const OrderedTextMap& map) {
    return {map.begin(), map.end()};
}

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

// The small SCSI miniport driver INF that most walk cases vary.
const std::string kDriverInf = "[Version]\r\nCatalogFile = disk.cat\r\n"
                               "[Manufacturer]\r\n%M% = Models, NTx86\r\n"
                               "[Models.NTx86]\r\n%D% = inst, PCI\\VEN_1000&DEV_0030\r\n"
                               "[inst]\r\nCopyFiles = files\r\n"
                               "[inst.Services]\r\nAddService = drvsvc,2,drvinst\r\n"
                               "[drvinst]\r\nLoadOrderGroup = SCSI Miniport\r\n"
                               "ServiceBinary = %12%\\drv.sys\r\n"
                               "[files]\r\ndrv.sys\r\n"
                               "[DestinationDirs]\r\nDefaultDestDir = 12\r\n"
                               "[SourceDisksNames]\r\n1 = Disk\r\n"
                               "[SourceDisksFiles]\r\ndrv.sys = 1\r\n"
                               "[Strings]\r\nM = Maker\r\nD = \"My Controller\"\r\n";

TEST(InfReader, folder_is_the_path_before_its_last_separator) {
    test::TempDir dir;
    std::string path = writeInf(dir, "");
    InfReader reader(path);
    EXPECT_EQ(reader.path(), path);
    EXPECT_EQ(reader.folder(), dir / "drv");
    EXPECT_EQ(reader.decorations(), (Texts{".NTX86", ".NT", ".X86", ""}));
    EXPECT_EQ(InfReader("disk.inf").folder(), "");
}

TEST(InfReader, decorated_section_is_the_first_that_exists) {
    test::TempDir dir;
    InfReader both(writeInf(dir, "[Foo.nt]\r\na=1\r\n[Foo]\r\na=2\r\n", "a.inf"));
    EXPECT_EQ(both.FindDecoratedSection("Foo", ""), "Foo.NT");
    EXPECT_EQ(both.GetValue("Foo", "", "a", 1), "1");
    InfReader x86(writeInf(dir, "[Foo.X86]\r\na=1\r\n[Foo]\r\na=2\r\n", "b.inf"));
    EXPECT_EQ(x86.FindDecoratedSection("Foo", ""), "Foo.X86");
    InfReader empty(writeInf(dir, "[Foo.NTx86]\r\n[Foo]\r\na=2\r\n", "c.inf"));
    EXPECT_EQ(empty.FindDecoratedSection("Foo", ""), "Foo.NTX86");
    EXPECT_EQ(empty.GetValue("Foo", "", "a", 1), "");
    InfReader suffix(writeInf(dir, "[inst.NT.Services]\r\na=1\r\n[inst.Services]\r\n", "d.inf"));
    EXPECT_EQ(suffix.FindDecoratedSection("inst", ".Services"), "inst.NT.Services");
    EXPECT_EQ(suffix.FindDecoratedSection("none", ".Services"), "");
    EXPECT_EQ(suffix.GetValue("none", "", "a", 1), "");
}

TEST(InfReader, get_field_gives_the_key_at_index_zero_and_empty_past_the_end) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[S]\r\nkey = v1, v2\r\n"));
    auto line = reader.file().findFirstLine("S", "key");
    ASSERT_TRUE(line);
    EXPECT_EQ(reader.GetField(*line, 0), "key");
    EXPECT_EQ(reader.GetField(*line, 2), "v2");
    EXPECT_EQ(reader.GetField(*line, 3), "");
}

TEST(InfReader, reader_on_a_missing_file_finds_nothing_and_adds_only_its_path) {
    test::TempDir dir;
    InfReader reader(dir / "drv/missing.inf");
    EXPECT_FALSE(reader.file().isOpen());
    EXPECT_EQ(reader.FindDecoratedSection("Version", ""), "");
    EXPECT_EQ(reader.GetValue("Version", "", "Signature", 1), "");
    EXPECT_EQ(reader.GetCatalogPath(), "");
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.infFiles().entries(), Texts{dir / "drv/missing.inf"});
    EXPECT_TRUE(package.allCatalogFiles().empty());
    EXPECT_TRUE(package.descriptionToService().empty());
    reader.Close();
    reader.Close();
}

TEST(InfReader, open_checked_reports_the_open_and_leaves_decorations_empty) {
    test::TempDir dir;
    InfReader missing;
    EXPECT_FALSE(missing.OpenChecked(dir / "none.inf"));
    missing.Close();

    std::string path = writeInf(dir, "[Foo]\r\na=1\r\n");
    InfReader reader;
    EXPECT_TRUE(reader.OpenChecked(path));
    EXPECT_EQ(reader.path(), path);
    EXPECT_EQ(reader.folder(), "");
    EXPECT_TRUE(reader.decorations().empty());
    EXPECT_EQ(reader.FindDecoratedSection("Foo", ""), "");
    EXPECT_EQ(reader.GetValue("Foo", "", "a", 1), "");
    EXPECT_EQ(reader.file().lineCount("Foo"), 1);
    reader.Close();
    EXPECT_EQ(reader.file().lineCount("Foo"), -1);
}

TEST(InfReader, reads_the_complete_small_driver_inf) {
    test::TempDir dir;
    std::string path = writeInf(dir, kDriverInf);
    InfReader reader(path);
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.allCatalogFiles().entries(), Texts{dir / "drv/disk.cat"});
    EXPECT_EQ(package.serviceBinaries().entries(), Texts{"drv.sys"});
    EXPECT_EQ(entries(package.hardwareIdToService()), (Pairs{{"PCI\\VEN_1000&DEV_0030", "drv"}}));
    EXPECT_EQ(entries(package.descriptionToService()), (Pairs{{"My Controller", "drv"}}));
    EXPECT_EQ(entries(package.fileToTargetDir()),
              (Pairs{{dir / "drv/drv.sys", "system32\\drivers"}}));
    EXPECT_EQ(package.infFiles().entries(), Texts{path});
}

// Writes an INF whose Manufacturer line lists these decorations after
// Models, and answers the models section the reader chooses.
std::string modelsFor(const std::string& decorations, WindowsVersion version) {
    test::TempDir dir;
    std::string manufacturer = "[Manufacturer]\r\n%M% = Models" +
                               (decorations.empty() ? std::string() : ", " + decorations) + "\r\n";
    InfReader reader(writeInf(dir, manufacturer));
    return reader.FindModelsSection(version);
}

TEST(InfReader, models_section_for_windows_2000_is_undecorated) {
    EXPECT_EQ(modelsFor("NTx86, NTx86.5.1", WindowsVersion::Windows2000), "Models");
    EXPECT_EQ(modelsFor("", WindowsVersion::WindowsXp), "Models");
}

TEST(InfReader, models_section_takes_the_highest_x86_version_not_above_the_target) {
    EXPECT_EQ(modelsFor("NTx86", WindowsVersion::WindowsXp), "Models.NTx86");
    EXPECT_EQ(modelsFor("NTx86.5.1", WindowsVersion::WindowsXp), "Models.NTx86.5.1");
    EXPECT_EQ(modelsFor("NTx86.5.1, NTx86.5.2", WindowsVersion::WindowsXp), "Models.NTx86.5.1");
    EXPECT_EQ(modelsFor("NTx86.5.1, NTx86.5.2", WindowsVersion::Server2003), "Models.NTx86.5.2");
    EXPECT_EQ(modelsFor("NTx86, NT.5.1", WindowsVersion::WindowsXp), "Models.NT.5.1");
    EXPECT_EQ(modelsFor("ntX86.5, NTx86", WindowsVersion::WindowsXp), "Models.ntX86.5");
    // The product-type part after a third period does not count.
    EXPECT_EQ(modelsFor("NTx86.5.1.1", WindowsVersion::WindowsXp), "Models.NTx86.5.1.1");
}

TEST(InfReader, models_section_prefers_x86_over_plain_nt_at_equal_version) {
    EXPECT_EQ(modelsFor("NT, NTx86", WindowsVersion::WindowsXp), "Models.NTx86");
    EXPECT_EQ(modelsFor("NTx86, NT", WindowsVersion::WindowsXp), "Models.NTx86");
}

TEST(InfReader, models_section_never_takes_another_processor_or_a_later_windows) {
    EXPECT_EQ(modelsFor("NTx86, NTamd64", WindowsVersion::WindowsXp), "Models.NTx86");
    EXPECT_EQ(modelsFor("NTx86, NTx86.6.0", WindowsVersion::WindowsXp), "Models.NTx86");
    EXPECT_EQ(modelsFor("NTamd64.6.0", WindowsVersion::WindowsXp), "Models");
    EXPECT_EQ(modelsFor("NTia64.5.2, NTamd64.5.1", WindowsVersion::Server2003), "Models");
    EXPECT_EQ(modelsFor("NTia64.5.0, NTamd64.4.1", WindowsVersion::WindowsXp), "Models");
    EXPECT_EQ(modelsFor("NTx86.5.2", WindowsVersion::WindowsXp), "Models");
    EXPECT_EQ(modelsFor("NTx86.x.1, NTx86.5.y", WindowsVersion::WindowsXp), "Models");
}

TEST(InfReader, manufacturer_line_with_one_field_or_none) {
    test::TempDir dir;
    InfReader one(writeInf(dir, "[Manufacturer]\r\n%M% = Models\r\n", "one.inf"));
    EXPECT_EQ(one.FindModelsSection(WindowsVersion::WindowsXp), "Models");
    InfReader none(writeInf(dir, "[Manufacturer]\r\nVendorModels\r\n", "none.inf"));
    EXPECT_EQ(none.FindModelsSection(WindowsVersion::WindowsXp), "VendorModels");
    InfReader missing(writeInf(dir, "[Manufacturer]\r\n", "missing.inf"));
    EXPECT_EQ(missing.FindModelsSection(WindowsVersion::WindowsXp), "");
}

TEST(InfReader, only_the_first_manufacturer_line_is_read) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[Manufacturer]\r\nA = First\r\nB = Second\r\n"
                                   "[First]\r\nd1 = i1, id1\r\n[Second]\r\nd2 = i2, id2\r\n"));
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(entries(package.descriptionToService()), (Pairs{{"d1", ""}}));
}

const std::string kServices = "[a.Services]\r\nAddService = s,2,svc\r\n"
                              "[b.Services]\r\nAddService = s,2,svc\r\n"
                              "[svc]\r\nLoadOrderGroup = SCSI Miniport\r\n"
                              "ServiceBinary = %12%\\drv.sys\r\n";

TEST(InfReader, model_lines_sharing_an_install_section_map_to_one_service) {
    test::TempDir dir;
    InfReader reader(
        writeInf(dir, "[Manufacturer]\r\nM = Models\r\n"
                      "[Models]\r\nd1 = a, ID1, compat\r\nd2 = a, ID2\r\nd3 = A, ID3\r\n" +
                          kServices));
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.serviceBinaries().entries(), Texts{"drv.sys"});
    EXPECT_EQ(entries(package.hardwareIdToService()),
              (Pairs{{"ID1", "drv"}, {"ID2", "drv"}, {"ID3", "drv"}}));
    EXPECT_EQ(entries(package.descriptionToService()),
              (Pairs{{"d1", "drv"}, {"d2", "drv"}, {"d3", "drv"}}));
}

TEST(InfReader, binary_without_period_gives_an_empty_service) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[Manufacturer]\r\nM = Models\r\n[Models]\r\nd = a, ID1\r\n"
                                   "[a.Services]\r\nAddService = s,2,svc\r\n"
                                   "[svc]\r\nLoadOrderGroup = SCSI Miniport\r\n"
                                   "ServiceBinary = %12%\\drvsys\r\n"));
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.serviceBinaries().entries(), Texts{"drvsys"});
    EXPECT_TRUE(package.hardwareIdToService().empty());
    EXPECT_EQ(entries(package.descriptionToService()), (Pairs{{"d", ""}}));
}

TEST(InfReader, devices_without_miniport_service_keep_descriptions_and_files) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[Manufacturer]\r\nM = Models\r\n[Models]\r\nd = a, ID1\r\n"
                                   "[a]\r\nCopyFiles = @util.dll\r\n"
                                   "[a.Services]\r\nAddService = s,2,svc\r\n"
                                   "[svc]\r\nLoadOrderGroup = SCSI Class\r\n"
                                   "ServiceBinary = %12%\\cls.sys\r\n"));
    DriverPackage package;
    package.AddHardwareId("OLD", "old");
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_TRUE(package.serviceBinaries().empty());
    EXPECT_EQ(entries(package.hardwareIdToService()), (Pairs{{"OLD", "old"}}));
    EXPECT_EQ(entries(package.descriptionToService()), (Pairs{{"d", ""}}));
    EXPECT_EQ(entries(package.fileToTargetDir()), (Pairs{{dir / "drv/util.dll", "system32"}}));
}

TEST(InfReader, catalog_takes_the_first_decorated_key_in_order) {
    test::TempDir dir;
    InfReader reader(writeInf(
        dir, "[version]\r\nCatalogFile = disk.cat\r\nCatalogFile.NTx86 = diskx86.cat\r\n"));
    EXPECT_EQ(reader.GetCatalogPath(), dir / "drv/diskx86.cat");
    InfReader none(writeInf(dir, "[S]\r\n", "none.inf"));
    EXPECT_EQ(none.GetCatalogPath(), "");
}

TEST(InfReader, miniport_is_the_first_service_whose_group_is_scsi_miniport) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[inst.NT.Services]\r\nAddService = evtlog,,evtinst\r\n"
                                   "AddService = drv,2,drvinst\r\n"
                                   "[inst.Services]\r\nAddService = other,2,otherinst\r\n"
                                   "[evtinst]\r\nServiceBinary = %12%\\evt.sys\r\n"
                                   "[drvinst]\r\nLoadOrderGroup = scsi miniport\r\n"
                                   "ServiceBinary = %12%\\drv.sys\r\n"
                                   "[otherinst]\r\nLoadOrderGroup = SCSI Miniport\r\n"
                                   "ServiceBinary = %12%\\other.sys\r\n"
                                   "[class.Services]\r\nAddService = c,2,classinst\r\n"
                                   "[classinst]\r\nLoadOrderGroup = SCSI Class\r\n"
                                   "ServiceBinary = %12%\\class.sys\r\n"));
    EXPECT_EQ(reader.FindMiniportBinary("inst"), "drv.sys");
    EXPECT_EQ(reader.FindMiniportBinary("class"), "");
    EXPECT_EQ(reader.FindMiniportBinary("missing"), "");
}

TEST(InfReader, miniport_binary_name_keeps_a_double_byte_character_ending_in_0x5C) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[i.Services]\r\nAddService = d,2,di\r\n"
                                   "[di]\r\nLoadOrderGroup = SCSI Miniport\r\n"
                                   "ServiceBinary = %12%\\d\x95\x5Cx.sys\r\n"));
    EXPECT_EQ(reader.FindMiniportBinary("i"), "d\x95\x5Cx.sys");
}

const std::string kFilesInf = "[inst]\r\nCopyFiles = @drv.sys, files\r\nCopyFiles = more\r\n"
                              "CopyINF = extra.inf\r\n"
                              "[inst.CoInstallers]\r\nCopyFiles = coinst\r\nCopyINF = co.inf\r\n"
                              "[files]\r\ndrvutil.dll\r\n[more]\r\nmore.dll\r\n"
                              "[coinst]\r\nco.dll\r\n"
                              "[DestinationDirs]\r\nDefaultDestDir = 12\r\nfiles = 11\r\n"
                              "more = 10,Help\r\n"
                              "[SourceDisksNames]\r\n1 = Disk,,,\\x86\r\n"
                              "[SourceDisksFiles]\r\ndrv.sys = 1\r\n"
                              "[Manufacturer]\r\nM = Models\r\n[Models]\r\nd = inst, ID\r\n";

TEST(InfReader, copy_files_collects_direct_files_and_file_list_sections) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, kFilesInf));
    DriverPackage package;
    reader.CollectCopyFiles("inst", "", package);
    EXPECT_EQ(entries(package.fileToTargetDir()),
              (Pairs{{dir / "drv/x86/drv.sys", "system32\\drivers"},
                     {dir / "drv/drvutil.dll", "system32"},
                     {dir / "drv/more.dll", "Help"}}));
}

TEST(InfReader, walk_adds_coinstaller_files_and_copied_infs_before_the_inf_itself) {
    test::TempDir dir;
    std::string path = writeInf(dir, kFilesInf);
    InfReader reader(path);
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.fileToTargetDir().size(), 4u);
    EXPECT_EQ(package.fileToTargetDir()[3].first, dir / "drv/co.dll");
    EXPECT_EQ(package.infFiles().entries(),
              (Texts{dir / "drv/extra.inf", dir / "drv/co.inf", path}));
}

TEST(InfReader, missing_file_list_section_is_skipped) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[inst]\r\nCopyFiles = nothere, files\r\n[files]\r\na.sys\r\n"));
    DriverPackage package;
    reader.CollectCopyFiles("inst", "", package);
    EXPECT_EQ(entries(package.fileToTargetDir()), (Pairs{{dir / "drv/a.sys", "system32"}}));
}

TEST(InfReader, source_disks_files_is_read_only_from_the_chosen_decoration) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[SourceDisksNames]\r\n1 = Disk,,,\\d1\r\n"
                                   "[SourceDisksFiles]\r\nonly.sys = 1\r\n"
                                   "[SourceDisksFiles.x86]\r\nx.sys = 1\r\n"));
    DriverPackage package;
    reader.AddSourceFile("only.sys", "C:\\WINDOWS\\system32\\drivers", package);
    reader.AddSourceFile("x.sys", "C:\\WINDOWS\\system32\\drivers", package);
    EXPECT_EQ(package.fileToTargetDir()[0].first, dir / "drv/only.sys");
    EXPECT_EQ(package.fileToTargetDir()[1].first, dir / "drv/d1/x.sys");
}

TEST(InfReader, source_path_joins_disk_path_and_subfolder_with_one_separator) {
    test::TempDir dir;
    InfReader reader(writeInf(dir,
                              "[SourceDisksNames]\r\n1 = D,,,\"\\disk1\\\"\r\n2 = D,,,disk2\r\n"
                              "3 = D,,,.\r\n"
                              "[SourceDisksFiles]\r\na.sys = 1,x86\r\nb.sys = 2,\"\\x86\\\"\r\n"
                              "c.sys = 3\r\nd.sys = 9,sub\r\n"));
    DriverPackage package;
    for (const char* name : {"a.sys", "b.sys", "c.sys", "d.sys"})
        reader.AddSourceFile(name, "C:\\WINDOWS\\system32\\drivers", package);
    const OrderedTextMap& targets = package.fileToTargetDir();
    EXPECT_EQ(targets[0].first, dir / "drv/disk1/x86/a.sys");
    EXPECT_EQ(targets[1].first, dir / "drv/disk2/x86/b.sys");
    EXPECT_EQ(targets[2].first, dir / "drv/c.sys");
    EXPECT_EQ(targets[3].first, dir / "drv/sub/d.sys");
}

TEST(InfReader, medium_paths_use_the_entries_that_exist_ignoring_letter_case) {
    test::TempDir dir;
    dir.write("drv/X86/DRV.SYS", "driver");
    dir.write("drv/Disk.Cat", "catalog");
    dir.write("drv/EXTRA.INF", "inf");
    InfReader reader(writeInf(dir, "[Version]\r\nCatalogFile = disk.cat\r\n" + kFilesInf));
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.allCatalogFiles().entries(), Texts{dir / "drv/Disk.Cat"});
    EXPECT_EQ(package.fileToTargetDir()[0].first, dir / "drv/X86/DRV.SYS");
    EXPECT_EQ(package.infFiles().entries()[0], dir / "drv/EXTRA.INF");
    // A name that exists nowhere keeps the path as built.
    EXPECT_EQ(package.fileToTargetDir()[1].first, dir / "drv/drvutil.dll");
}

TEST(InfReader, earlier_inf_wins_over_a_later_one_in_one_package) {
    test::TempDir dir;
    std::string first = writeInf(
        dir, "[Manufacturer]\r\nM = Models\r\n[Models]\r\nd = a, ID1\r\n" + kServices, "one/a.inf");
    std::string second =
        writeInf(dir,
                 "[Manufacturer]\r\nM = Models\r\n[Models]\r\nd = b, ID1\r\nd2 = b, ID2\r\n"
                 "[b.Services]\r\nAddService = s,2,svc\r\n[svc]\r\n"
                 "LoadOrderGroup = SCSI Miniport\r\nServiceBinary = other.sys\r\n",
                 "two/b.inf");
    DriverPackage package;
    InfReader(first).ReadDriverPackage(package, WindowsVersion::WindowsXp);
    InfReader(second).ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.serviceBinaries().entries(), (Texts{"drv.sys", "other.sys"}));
    EXPECT_EQ(entries(package.hardwareIdToService()), (Pairs{{"ID1", "drv"}, {"ID2", "other"}}));
    EXPECT_EQ(package.infFiles().entries(), (Texts{first, second}));
}

TEST(InfReader, target_path_reads_empty_when_the_dirid_is_unknown) {
    test::TempDir dir;
    InfReader reader(writeInf(dir, "[DestinationDirs]\r\nDefaultDestDir = 66000\r\nf = 12\r\n"));
    EXPECT_EQ(reader.GetTargetPath(std::nullopt), "");
    EXPECT_EQ(reader.GetTargetPath("f"), "C:\\WINDOWS\\system32\\drivers");
}

} // namespace
} // namespace ornibe
