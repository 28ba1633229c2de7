#pragma once

#include "inf/WindowsTarget.h"
#include "runner/BuildPage.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <string>
#include <vector>

namespace ornibe {

// Where Debian's syslinux keeps what the stick boots with: the modules
// (syslinux-common) and the master boot record's code.
inline constexpr const char* kSyslinuxModules = "/usr/lib/syslinux/modules/bios";
inline constexpr const char* kSyslinuxMbr = "/usr/lib/syslinux/mbr/mbr.bin";
// The modules the menu needs, copied into the stick's syslinux folder.
inline constexpr const char* kSyslinuxModuleNames[] = {"menu.c32", "chain.c32", "libutil.c32",
                                                       "libcom32.c32"};

// Whether a stick can install this system: text mode drives USB storage
// only from Windows XP SP2 and in Server 2003, and the stick's boot chain
// is the 32-bit one. rootNames are the names in the tree's root, whose tag
// files tell the Service Pack level; a Service Pack that the build applies
// (servicePackChosen) is taken to bring XP to SP2 or later, and the build
// looks again at the tree it made.
Outcome usbImageTargetCheck(const WindowsTarget& target, const std::vector<std::string>& rootNames,
                            bool servicePackChosen);

// What the stick needs on this machine: syslinux and its modules. A
// refusal names the Debian packages that bring them.
Outcome usbImageToolsCheck(const ToolSearch& tools);

// The boot menu on the stick (syslinux's menu, whose text screen shows
// only the PC's own character set, hence Japanese in Latin letters). The
// first boot starts the setup loader from the stick's partition as its
// boot sector would; every later boot, which the menu takes by itself after
// its timeout, starts the internal disk as BIOS drive 0x80 with the stick
// moved after it, as text mode numbered them.
std::string usbBootMenu();

// The stick image step: the whole work tree on a FAT32 partition, with the
// setup loader, NTDETECT.COM and TXTSETUP.SIF also in its root and
// TXTSETUP.SIF gaining the SetupSourceDevice line (only on the stick), the
// boot menu, and syslinux installed on the partition. Written beside its
// destination and renamed into place; the work tree is not changed. Logs
// into the page's log; a failure leaves no image behind.
Outcome writeUsbImage(const BuildSettings& settings, const WindowsTarget& target,
                      const ToolSearch& tools, BuildPage& page);

} // namespace ornibe
