#include "source/Medium.h"

#include "support/IsoFixtures.h"
#include "support/TempDir.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ornibe {
namespace {

std::vector<std::string> sorted(std::optional<std::vector<std::string>> names) {
    std::vector<std::string> list = names.value_or(std::vector<std::string>{});
    std::sort(list.begin(), list.end());
    return list;
}

TEST(MediumTest, a_folder_and_its_image_answer_alike_within_the_same_limits) {
    test::TempDir dir;
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n");
    dir.write("cd/WIN51IP", "");
    dir.write("cd/Docs/Readme.txt", "12345678");
    ASSERT_TRUE(test::makeIsoImage(dir / "cd", dir / "cd.iso", test::labelled("XPCD")));

    const std::unique_ptr<Medium> folder = Medium::open(dir / "cd");
    const std::unique_ptr<Medium> image = Medium::open(dir / "cd.iso");
    EXPECT_FALSE(folder->isImage());
    EXPECT_TRUE(image->isImage());
    EXPECT_EQ(folder->label(), "");
    EXPECT_EQ(image->label(), "XPCD");
    EXPECT_EQ(folder->hostPath("docs\\readme.TXT"), dir / "cd/Docs/Readme.txt");
    EXPECT_EQ(image->hostPath("docs\\readme.TXT"), std::nullopt);

    for (const Medium* medium : {folder.get(), image.get()}) {
        SCOPED_TRACE(medium->path());
        EXPECT_TRUE(medium->readable());
        EXPECT_FALSE(medium->stopped());
        EXPECT_EQ(sorted(medium->folderNames("")),
                  (std::vector<std::string>{"Docs", "I386", "WIN51IP"}));
        EXPECT_EQ(sorted(medium->folderNames("/i386/")), std::vector<std::string>{"TXTSETUP.SIF"});
        EXPECT_EQ(medium->folderNames("WIN51IP"), std::nullopt);
        EXPECT_TRUE(medium->hasFile("i386\\txtsetup.sif"));
        EXPECT_FALSE(medium->hasFile("I386"));
        EXPECT_TRUE(medium->hasFolder("docs"));
        EXPECT_FALSE(medium->hasFolder("Docs/Readme.txt"));
        EXPECT_EQ(medium->fileSize("DOCS/README.TXT"), 8u);
        EXPECT_EQ(medium->fileSize("Docs/Missing.txt"), std::nullopt);

        Result<std::string> whole = medium->readFile("docs/readme.txt", 8);
        ASSERT_TRUE(whole);
        EXPECT_EQ(*whole, "12345678");
        Result<std::string> tooLarge = medium->readFile("docs/readme.txt", 7);
        ASSERT_FALSE(tooLarge);
        EXPECT_NE(tooLarge.failure().path.find("eadme.txt"), std::string::npos);
        EXPECT_FALSE(medium->readFile("Docs/Missing.txt"));

        EXPECT_EQ(medium->treeBytes(), 28u);
        EXPECT_TRUE(medium->copyable());
        const std::string copy = dir / ("copy-" + std::to_string(medium->isImage()));
        CopyResult copied = medium->copyTo(copy);
        EXPECT_TRUE(copied);
        EXPECT_TRUE(copied.leftOut.empty());
        EXPECT_EQ(readFile(joinPath(copy, "Docs/Readme.txt")), "12345678");
    }

    dir.write("notes.txt", "no image");
    const std::unique_ptr<Medium> notAnImage = Medium::open(dir / "notes.txt");
    EXPECT_TRUE(notAnImage->isImage());
    EXPECT_FALSE(notAnImage->readable());
    EXPECT_FALSE(notAnImage->hasFile("I386/TXTSETUP.SIF"));
    EXPECT_EQ(notAnImage->treeBytes(), std::nullopt);
    EXPECT_FALSE(notAnImage->copyable());
    const std::unique_ptr<Medium> missing = Medium::open(dir / "missing");
    EXPECT_FALSE(missing->isImage());
    EXPECT_FALSE(missing->readable());
    EXPECT_EQ(missing->folderNames(""), std::nullopt);
}

} // namespace
} // namespace ornibe
