#include "source/VirtioWinFolders.h"

#include "inf/WindowsTarget.h"
#include "source/VirtioWinMedium.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ornibe {
namespace {

using test::TempDir;

// A medium with the current layout, the older folder names, the older
// layout of one folder per system, a folder without its INF, and a version
// file.
void layOut(const TempDir& dir) {
    for (const char* file :
         {"medium/viostor/xp/x86/viostor.inf", "medium/viostor/xp/x86/viostor.sys",
          "medium/viostor/2k3/x86/VIOSTOR.INF", "medium/viostor/2k3/amd64/viostor.inf",
          "medium/viostor/xp/amd64/viostor.inf", "medium/NetKVM/xp/x86/readme.txt",
          "medium/WXP/X86/netkvm.inf", "medium/WXP/X86/netkvm.sys",
          "medium/Balloon/Wnet/X86/balloon.inf"}) {
        dir.write(file, std::string("bytes of ") + file);
    }
    dir.write("medium/VERSION", "virtio-win-0.1.190 \r\nmore\r\n");
}

std::string folderFor(const VirtioWinMedium& medium, const char* name, WindowsVersion version,
                      Architecture architecture) {
    return findVirtioWinFolder(medium, *virtioWinKind(name), {version, architecture, {}});
}

void expectTheSameChoices(const VirtioWinMedium& medium) {
    ASSERT_FALSE(medium.problem());
    using enum Architecture;
    EXPECT_EQ(folderFor(medium, "viostor", WindowsVersion::WindowsXp, X86), "viostor\\xp\\x86");
    EXPECT_EQ(folderFor(medium, "viostor", WindowsVersion::Server2003, X86), "viostor\\2k3\\x86");
    EXPECT_EQ(folderFor(medium, "viostor", WindowsVersion::WindowsXp, Amd64), "viostor\\xp\\amd64");
    EXPECT_EQ(folderFor(medium, "viostor", WindowsVersion::Server2003, Amd64),
              "viostor\\2k3\\amd64");
    EXPECT_EQ(folderFor(medium, "viostor", WindowsVersion::Windows2000, X86), "");
    // A folder without the INF does not count; the older layout does.
    EXPECT_EQ(folderFor(medium, "NETKVM", WindowsVersion::WindowsXp, X86), "WXP\\X86");
    EXPECT_EQ(folderFor(medium, "balloon", WindowsVersion::Server2003, X86), "Balloon\\Wnet\\X86");
    EXPECT_EQ(folderFor(medium, "balloon", WindowsVersion::WindowsXp, X86), "");
    EXPECT_EQ(folderFor(medium, "qxl", WindowsVersion::WindowsXp, X86), "");

    std::vector<std::string> held = virtioWinFoldersHeld(medium, *virtioWinKind("viostor"));
    std::sort(held.begin(), held.end());
    EXPECT_EQ(held, (std::vector<std::string>{"viostor\\2k3\\amd64", "viostor\\2k3\\x86",
                                              "viostor\\xp\\amd64", "viostor\\xp\\x86"}));
    EXPECT_EQ(virtioWinFoldersHeld(medium, *virtioWinKind("qxl")), std::vector<std::string>{});
    EXPECT_EQ(medium.version(), "virtio-win-0.1.190");

    // The host folder holds the folder's files alone.
    Result<std::string> host = medium.hostFolder("wxp/x86", test::hostEnvironment().tempFolder());
    ASSERT_TRUE(host) << host.failure().line();
    std::vector<std::string> files = folderEntries(*host).value_or(std::vector<std::string>{});
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"netkvm.inf", "netkvm.sys"}));
}

TEST(VirtioWinFolders, each_system_takes_its_folder_in_any_case_and_older_names_from_both_media) {
    EXPECT_TRUE(virtioWinCandidates(*virtioWinKind("viostor"),
                                    {WindowsVersion::Windows2000, Architecture::X86, {}})
                    .empty());
    EXPECT_EQ(virtioWinCandidates(*virtioWinKind("netkvm"),
                                  {WindowsVersion::Server2003, Architecture::Amd64, {}}),
              (std::vector<std::string>{"NetKVM/2k3/amd64", "NetKVM/wnet/amd64", "NetKVM/xp/amd64",
                                        "wnet/amd64"}));
    EXPECT_EQ(virtioWinKind("vioserial")->inf, "vioser.inf");
    EXPECT_EQ(virtioWinKind("vioscsi"), nullptr);

    TempDir dir;
    layOut(dir);
    SCOPED_TRACE("folder");
    expectTheSameChoices(VirtioWinMedium(dir / "medium"));

    const std::string iso = dir / "virtio.iso";
    test::CommandResult made = test::runCommand({"xorriso", "-as", "mkisofs", "-quiet", "-J", "-R",
                                                 "-V", "VIRTIO", "-o", iso, dir / "medium"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    SCOPED_TRACE("image");
    VirtioWinMedium image(iso);
    expectTheSameChoices(image);
    Result<std::string> copy = image.hostFolder("viostor/xp/x86", dir.path());
    ASSERT_TRUE(copy);
    EXPECT_FALSE(isSameOrInside(*copy, dir / "medium"));
    EXPECT_TRUE(existsAsFile(joinPath(*copy, "viostor.sys")));

    // Without a version file, an image states its volume label; a folder
    // states nothing.
    std::filesystem::remove(dir / "medium/VERSION");
    EXPECT_EQ(VirtioWinMedium(dir / "medium").version(), "");
    made = test::runCommand({"xorriso", "-as", "mkisofs", "-quiet", "-J", "-R", "-V",
                             "virtio-win-0.1.266", "-o", dir / "label.iso", dir / "medium"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(VirtioWinMedium(dir / "label.iso").version(), "virtio-win-0.1.266");

    EXPECT_TRUE(VirtioWinMedium(dir / "missing").problem());
    dir.write("plain.txt", "no image");
    EXPECT_TRUE(VirtioWinMedium(dir / "plain.txt").problem());
}

} // namespace
} // namespace ornibe
