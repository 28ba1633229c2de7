#pragma once

#include <string>

namespace ornibe {

// The processor architecture of an installation tree: which folder holds
// its setup files and which decorations its driver INFs are read with.
// Every rule that differs between a 32-bit and an x64 tree is in
// inf/SetupArchitecture.h.
//
// An x64 CD holds AMD64 beside I386: AMD64 has the 64-bit setup files
// (TXTSETUP.SIF, DOSNET.INF, SVCPACK.IN_, the drivers), I386 the 32-bit
// files of WOW64, which driver integration leaves alone.
enum class Architecture { X86, Amd64 };

// The Windows version an installation tree installs, as its CD's name
// tells it. Unknown is never taken for Windows 2000: the rules that differ
// read it as XP does.
enum class WindowsVersion { Unknown, Windows2000, WindowsXp, Server2003 };

// The system a build works for: what the confirmation page detects, and
// what the driver readers, the setup file editor and the answer file
// receive.
struct WindowsTarget {
    WindowsVersion version = WindowsVersion::Unknown;
    Architecture architecture = Architecture::X86;
    // "2195", "2600" or "3790"; empty while the version is unknown.
    std::string buildNumber;

    bool operator==(const WindowsTarget&) const = default;
};

// The digit that spells the version in the setup files written for it:
// '0' Windows 2000, '1' XP, '2' Server 2003 (the minor part of the NT
// version of an x86 tree), and '?' when unknown.
char versionDigit(WindowsVersion version);

// The version a digit of versionDigit spells; Unknown for any other
// character.
WindowsVersion versionOfDigit(char digit);

} // namespace ornibe
