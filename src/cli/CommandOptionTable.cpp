#include "cli/CommandOptionTable.h"

#include <algorithm>

namespace ornibe {
namespace {

using Options = CommandOptions;

// One row per option; a new option is one more row here, a field in
// CommandOptions and its entry in the manual page.
constexpr OptionRow kRows[] = {
    {.name = "--work",
     .valueName = "DIR",
     .target = &Options::workFolder,
     .help = "作業フォルダ (work folder); required",
     .required = true},
    {.name = "--source",
     .valueName = "SOURCE",
     .target = &Options::source,
     .help = "読込元のCDドライブ (where the Windows files come from):\n"
             "\"none\" (the default, 読み込みしない) when DIR already\n"
             "holds the CD's files; an ISO image file of the CD or\n"
             "a disc device (/dev/sr0), read in place; or a folder\n"
             "that holds the CD's files (a mounted CD or image, or\n"
             "an unpacked copy). The CD's boot image is taken from\n"
             "its El Torito catalog when it has one."},
    {.name = "--label",
     .valueName = "TEXT",
     .target = &Options::label,
     .help = "ボリュームラベル (volume label of the image); without it,\n"
             "the source's own label when it has one"},
    {.name = "--service-pack",
     .valueName = "FILE",
     .target = &Options::servicePack,
     .help = "Service Pack ファイル (installer run in integration mode)"},
    {.name = "--driver",
     .valueName = "SOURCE",
     .target = &Options::drivers,
     .help = "ドライバ: an INF file, or a driver floppy (F6): its\n"
             "TXTSETUP.OEM, a folder that holds one (in its root or\n"
             "in i386 or amd64), or a floppy image (.img, .ima, .vfd,\n"
             ".flp or any FAT12/16 image); repeat for several, kept\n"
             "in order"},
    {.name = "--driver-entry",
     .valueName = "ID",
     .target = &Options::driverEntries,
     .help = "the entry of the driver floppies to integrate, by its\n"
             "ID in TXTSETUP.OEM; repeat for several. Without it,\n"
             "each floppy's default entry"},
    {.name = "--list-entries",
     .valueName = "SOURCE",
     .target = &Options::listEntries,
     .help = "print the entries of a driver floppy (ID, description,\n"
             "service, hardware IDs, whether its files are there) and\n"
             "exit; no --work needed; the amd64 set of a floppy that\n"
             "has both when --source (or --work) is an x64 tree"},
    {.name = "--pnp-driver",
     .valueName = "INF",
     .target = &Options::pnpDrivers,
     .help = "PnP ドライバの INF ファイル (any device class), copied\n"
             "with its files to $OEM$/$1/Drivers/NNN and named in\n"
             "OemPnPDriversPath; repeat for several, kept in order;\n"
             "needs --unattended or --answer-file"},
    {.name = "--virtio-win",
     .valueName = "SOURCE",
     .target = &Options::virtioWin,
     .help = "virtio-win の ISO イメージファイル (read in place) or a\n"
             "folder of one: the drivers of its folder for the CD's\n"
             "system (xp\\x86, 2k3\\x86, 2k3\\amd64 or xp\\amd64): viostor\n"
             "as a text-mode driver, NetKVM, Balloon, vioserial and\n"
             "qxl as PnP drivers (these need --unattended or\n"
             "--answer-file); the log ends with the QEMU options\n"
             "that match. Not for Windows 2000"},
    {.name = "--virtio-win-only",
     .valueName = "LIST",
     .target = &Options::virtioWinOnly,
     .help = "the drivers to take from --virtio-win, comma-separated\n"
             "among viostor,netkvm,balloon,vioserial,qxl; without it,\n"
             "all that the medium has for the system (viostor must\n"
             "be there)"},
    {.name = "--big-drive",
     .target = &Options::bigDrive,
     .help = "137GB 以上のハードディスク: on (the default)",
     .offHelp = "137GB 以上のハードディスク: off"},
    {.name = "--iso",
     .valueName = "FILE",
     .target = &Options::isoPath,
     .help = "ISOイメージのファイル名 (no image when left out); a\n"
             "relative FILE, like --log's, is taken from the current\n"
             "folder"},
    {.name = "--yes",
     .target = &Options::yes,
     .help = "answer yes to the wizard's questions (a work folder\n"
             "that is not empty, a folder to create); without it\n"
             "they are answered no and nothing is built. The free\n"
             "space is shown, not asked; a source larger than it is\n"
             "refused"},
    {.name = "--log",
     .valueName = "FILE",
     .target = &Options::logFile,
     .help = "also write the whole log to FILE as the wizard holds it\n"
             "(UTF-8, CR LF line breaks)"},
    {.name = "--quiet", .target = &Options::quiet, .help = "no progress bar on standard error"},
    {.name = "--reproducible",
     .target = &Options::reproducible,
     .help = "make the same image from the same inputs: every date in\n"
             "it is SOURCE_DATE_EPOCH, or 2000-01-01 00:00:00 UTC when\n"
             "that is not set (SOURCE_DATE_EPOCH alone does the same)"},
    {.name = "--check",
     .target = &Options::check,
     .help = "only check the finished work folder DIR (and the image\n"
             "--iso names) and change nothing: every setup file\n"
             "opens, every storage driver's file is listed and\n"
             "there, the answer file reads, the image holds the tree.\n"
             "A table on standard output; exit 0 when nothing is\n"
             "wrong, 1 when a problem was found"},
    {.name = "--json",
     .target = &Options::json,
     .help = "with --check: the report as JSON on standard output"},
    {.name = "--target-hardware",
     .valueName = "FILE",
     .target = &Options::targetHardware,
     .help = "対象のハードウェア: FILE holds what lspci -nn or\n"
             "lspci -vmmnn printed on the target machine; the check\n"
             "(of --check and of a build) then says which service\n"
             "drives each of its disk controllers, or that none does"},
    {.name = "--machine",
     .valueName = "NAME",
     .target = &Options::machine,
     .help = "対象のハードウェア as a QEMU machine instead: qemu-pc,\n"
             "qemu-q35, qemu-virtio-blk, qemu-virtio-blk-modern or\n"
             "qemu-nvme"},
    {.name = "--unattended",
     .target = &Options::unattended,
     .help = "無人インストール (unattended setup): write I386/WINNT.SIF\n"
             "from the options below, with defaults for those left out"},
    {.name = "--answer-file",
     .valueName = "FILE",
     .target = &Options::answerFile,
     .help = "use FILE as I386/WINNT.SIF instead, as it is (its line\n"
             "ends made CR LF) once it passes the checks"},
    {.name = "--product-key",
     .valueName = "KEY",
     .target = &Options::productKey,
     .help = "プロダクト キー XXXXX-XXXXX-XXXXX-XXXXX-XXXXX; without it\n"
             "setup asks. Prefer --product-key-file: other users\n"
             "can read a command line (ps)"},
    {.name = "--product-key-file",
     .valueName = "FILE|-",
     .target = &Options::productKeyFile,
     .help = "read the プロダクト キー from FILE, or from standard\n"
             "input for -, its one trailing line break left out"},
    {.name = "--full-name",
     .valueName = "TEXT",
     .target = &Options::fullName,
     .help = "フルネーム (the user's name); required with --unattended"},
    {.name = "--organization",
     .valueName = "TEXT",
     .target = &Options::organization,
     .help = "組織名 (none when left out)"},
    {.name = "--computer-name",
     .valueName = "NAME",
     .target = &Options::computerName,
     .help = "コンピュータ名, at most 15 letters, digits and hyphens;\n"
             "* (the default) lets setup make one up"},
    {.name = "--admin-password",
     .valueName = "TEXT",
     .target = &Options::adminPassword,
     .help = "Administrator のパスワード (none when left out); never\n"
             "shown or logged. Prefer --admin-password-file: other\n"
             "users can read a command line (ps)"},
    {.name = "--admin-password-file",
     .valueName = "FILE|-",
     .target = &Options::adminPasswordFile,
     .help = "read the Administrator のパスワード from FILE, or from\n"
             "standard input for -, its one trailing line break left\n"
             "out"},
    {.name = "--time-zone",
     .valueName = "N",
     .target = &Options::timeZone,
     .help = "タイム ゾーン: an index of Microsoft's Time Zone Index\n"
             "Values; 235 (Tokyo) by default"},
    {.name = "--language",
     .valueName = "ja|en",
     .target = &Options::language,
     .help = "言語 of the regional settings: ja (the default) or en"},
    {.name = "--workgroup",
     .valueName = "NAME",
     .target = &Options::workgroup,
     .help = "ワークグループ to join; WORKGROUP by default"},
    {.name = "--auto-partition",
     .target = &Options::autoPartition,
     .help = "install on the first disk without asking, clearing it"},
    {.name = "--accept-eula",
     .target = &Options::acceptEula,
     .help = "accept the licence, so that setup does not show it"},
    {.name = "--help", .target = CommandAction::Help, .help = "show this text"},
    {.name = "--version", .target = CommandAction::Version, .help = "show the version"},
};

// A row's parts agree with what it sets: a value name exactly for a text
// or a list, off lines exactly for an on/off switch, and only a plain text
// required (the parser checks that it is not empty).
constexpr bool isConsistent(const OptionRow& row) {
    bool plainText = std::holds_alternative<std::string Options::*>(row.target);
    bool text =
        plainText || std::holds_alternative<std::optional<std::string> Options::*>(row.target);
    return row.name.starts_with("--") && row.takesValue() == (text || row.isList()) &&
           row.offHelp.empty() != row.isOnOff() && (!row.required || plainText);
}
static_assert(std::ranges::all_of(kRows, isConsistent));

} // namespace

std::string OptionRow::offName() const {
    return isOnOff() ? "--no-" + std::string(name.substr(2)) : std::string();
}

std::vector<std::string> OptionRow::names() const {
    std::vector<std::string> all{std::string(name)};
    if (isOnOff()) {
        all.push_back(offName());
    }
    return all;
}

std::span<const OptionRow> commandOptionTable() {
    return kRows;
}

} // namespace ornibe
