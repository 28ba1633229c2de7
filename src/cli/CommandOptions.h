#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ornibe {

// The options of ornibe-build, one for each field of the settings page.
struct CommandOptions {
    std::string workFolder;
    // "none" reads no CD: the work folder already holds the CD's files.
    std::string source = "none";
    // Nothing when not given: a label proposed by the source is used.
    std::optional<std::string> label;
    std::string servicePack;
    std::vector<std::string> drivers;
    std::vector<std::string> driverEntries;
    // A driver floppy whose entries to print instead of a build.
    std::string listEntries;
    // Plug and Play driver INFs for GUI-mode setup, in order.
    std::vector<std::string> pnpDrivers;
    // A virtio-win ISO image or folder, and the drivers to take from it
    // (a comma-separated list of short names; empty for all).
    std::string virtioWin;
    std::string virtioWinOnly;
    // A folder of mass-storage drivers to choose text-mode drivers from.
    std::string driverPack;
    // Hotfix packages for SVCPACK, in order, and the switches of each:
    // hotfixSwitches[i] belongs to hotfixes[i], empty for the default.
    std::vector<std::string> hotfixes;
    std::vector<std::string> hotfixSwitches;
    // A folder merged into $OEM$, and commands for cmdlines.txt and for
    // [GuiRunOnce], in order.
    std::string oemFiles;
    std::vector<std::string> runAtSetup;
    std::vector<std::string> runAtFirstLogon;
    // Nothing when not given: the check box's starting state.
    std::optional<bool> bigDrive;
    std::string isoPath;
    // The USB stick image, and its size ("" for one that fits).
    std::string usbImage;
    std::string usbImageSize;
    std::string usbDevice;
    bool yes = false;
    std::string logFile;
    bool quiet = false;
    // The image the same from the same inputs (also with SOURCE_DATE_EPOCH).
    bool reproducible = false;
    // Only the check of the finished work folder (and its --iso image),
    // with its report as a table or as JSON.
    bool check = false;
    bool json = false;
    // Only the load check of one driver source (an INF or a floppy)
    // against the work folder's tree.
    std::string checkDriver;
    // Goes on past a driver that the load check finds cannot load on the
    // CD, for a CD the user will supplement.
    bool allowUnloadableDriver = false;
    // The target machine for the controller match: a file of lspci
    // output, or a named QEMU machine.
    std::string targetHardware;
    std::string machine;

    // The unattended installation's answer file: written from the fields
    // below, or the user's own.
    bool unattended = false;
    std::string answerFile;
    std::optional<std::string> productKey;
    std::optional<std::string> fullName;
    std::optional<std::string> organization;
    std::optional<std::string> computerName;
    std::optional<std::string> adminPassword;
    // Where the password and the key are read from instead ("-": standard
    // input), so that they never stand on the command line.
    std::optional<std::string> adminPasswordFile;
    std::optional<std::string> productKeyFile;
    std::optional<std::string> timeZone;
    std::optional<std::string> language;
    std::optional<std::string> workgroup;
    bool autoPartition = false;
    bool acceptEula = false;
};

// What the command line asks for besides a build.
enum class CommandAction { Help, Version };

// A usage error, in one line, ready for standard error.
struct UsageError {
    std::string message;
};

using ParsedCommand = std::variant<CommandOptions, CommandAction, UsageError>;

// Reads the arguments after the program name by the option table
// (cli/CommandOptionTable.h). "--name value" and "--name=value" both work,
// and "--" ends the options. An unknown option, a missing value or a stray
// argument is a usage error; so is, once all are read, an option given
// twice that takes one value, or both names of an on/off switch; so are
// the answer file's options that do not fit together
// (cli/AnswerFileOptions.h).
ParsedCommand parseCommandOptions(const std::vector<std::string>& arguments);

// The --help text, its usage lines and option list written from the table.
std::string commandHelp();

} // namespace ornibe
