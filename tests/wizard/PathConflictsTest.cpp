#include "wizard/PathConflicts.h"

#include "settings/CdDriveEntry.h"
#include "support/BuildTreeTools.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

namespace ornibe {
namespace {

using test::TempDir;

// What the comparison says of the paths: the refusal's two lines, or the
// empty text when it lets them pass.
std::string verdict(const std::vector<NamedPath>& paths, const std::string& home = {}) {
    Outcome outcome = findPathConflict(paths, home);
    return outcome ? std::string() : outcome.failure().headline + "\n" + outcome.failure().reason;
}

// The cases that ornibe-build's own tests cannot reach cheaply: the
// Service Pack, a second name of one file, and what must pass.
TEST(PathConflicts, outputs_meet_inputs_by_file_and_the_tree_only_where_it_holds_something) {
    TempDir dir;
    const std::string sp = dir.write("sp/XPSP3.EXE", "MZ");
    const std::string work = dir / "work";
    dir.write("work/I386/TXTSETUP.SIF", "[Version]\r\n");
    const std::string earlier = dir / "work/OLD.ISO";
    ASSERT_TRUE(test::makeIsoImage(dir.mkdir("cd"), earlier, test::labelled("OLD")));
    const std::string hardLink = dir / "sp/again.exe";
    ASSERT_EQ(::link(sp.c_str(), hardLink.c_str()), 0);

    const NamedPath workFolder{PathRole::WorkFolder, work};
    const NamedPath servicePack{PathRole::ServicePack, sp};
    struct Case {
        NamedPath output;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{PathRole::IsoImage, sp}, "Service Pack ファイル " + sp + " と同じファイルです。"},
        {{PathRole::LogFile, dir / "sp/../sp/XPSP3.EXE"}, "と同じファイルです。"},
        {{PathRole::LogFile, hardLink}, "Service Pack ファイル " + sp + " と同じファイルです。"},
        {{PathRole::IsoImage, dir / "work/i386/TxtSetup.Sif"},
         dir / "work/I386/TXTSETUP.SIF は作業フォルダのファイルです。"},
        {{PathRole::IsoImage, dir / "work/i386"}, "作業フォルダのフォルダ " + dir / "work/I386"},
        // An earlier image is replaced, under its own spelling only; a new
        // name, in any folder of the tree, or a name outside it is written.
        {{PathRole::IsoImage, dir / "work/old.iso"}, "大文字と小文字だけが違う " + earlier},
        {{PathRole::IsoImage, earlier}, ""},
        {{PathRole::IsoImage, dir / "work/NEW.ISO"}, ""},
        {{PathRole::IsoImage, dir / "work/I386/NEW.ISO"}, ""},
        {{PathRole::LogFile, dir / "sp/build.log"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output.path);
        std::string said = verdict({servicePack, workFolder, c.output});
        if (c.says.empty()) {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_THAT(said, ::testing::HasSubstr(c.says));
        }
    }
    // Each output against the other, also when neither exists yet.
    EXPECT_EQ(verdict({workFolder,
                       {PathRole::IsoImage, dir / "out/a.iso"},
                       {PathRole::LogFile, dir / "out/a.iso"}}),
              "ISO イメージ " + dir / "out/a.iso" + " を作成できません。\nログファイル " +
                  dir / "out/a.iso" + " と同じファイルです。");
}

TEST(PathConflicts, a_mounted_source_brings_the_image_it_is_mounted_from) {
    TempDir dir;
    const std::string mount = dir.mkdir("media/cd");
    const std::string image = dir.write("cd.iso", "the user's CD image");
    dir.write("mountinfo", "36 25 7:3 / " + mount + " ro - iso9660 /dev/loop3 ro\n");
    dir.write("sys/7:3/loop/backing_file", image + "\n");
    BuildSettings settings;
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(mount, "WXPVOL_JA"));
    settings.setCdDriveRoot(mount);

    std::vector<NamedPath> paths = namedPathsOf(
        settings, dir / "work", image, {}, WindowsVersion::WindowsXp,
        test::buildTreeTools(dir.path()), MountTables{dir / "mountinfo", dir / "sys", "/dev"});
    EXPECT_EQ(verdict(paths), "ISO イメージ " + image + " を作成できません。\n読込元 " + image +
                                  " と同じファイルです。");
}

TEST(PathConflicts, the_home_folder_is_refused_itself_but_not_what_it_holds) {
    TempDir dir;
    const std::string home = dir.mkdir("home");
    EXPECT_THAT(verdict({{PathRole::WorkFolder, home + "/"}}, home),
                ::testing::HasSubstr("ホームフォルダ " + home + " そのものです。"));
    EXPECT_EQ(verdict({{PathRole::WorkFolder, home + "/xp"}}, home), "");
    EXPECT_EQ(verdict({{PathRole::WorkFolder, home}}, ""), "");
}

} // namespace
} // namespace ornibe
