#include "IsoWriter.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace ornibe {
namespace {

using test::FileSizeLimit;
using test::noise;
using test::TempDir;
using ::testing::HasSubstr;

// Each source stands for a file that is gone by the time the image is
// made, one that cannot be read, and one that holds less than its size
// says; the image fails with the file's name rather than holding a short
// or zero-filled copy.
TEST(IsoWriter, a_file_that_cannot_be_read_whole_fails_the_image_with_its_name) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    struct Case {
        std::string source;
        std::string says;
    };
    std::vector<Case> cases = {
        {dir / "gone", "cannot read " + (dir / "gone") + ": "},
        {dir / "folder", "cannot read " + (dir / "folder") + ": "},
    };
    const std::string shorter = "/sys/kernel/mm/transparent_hugepage/enabled";
    if (std::filesystem::exists(shorter)) {
        cases.push_back({shorter, "became shorter"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        dir.write(std::filesystem::path(c.source).filename().string() + ".good", "fine");
        std::string good = dir / (std::filesystem::path(c.source).filename().string() + ".good");
        ImageTree tree;
        tree.files.push_back({"GOOD.TXT", 0, good, 0});
        tree.files.push_back({"FILE.BIN", 0, c.source, 1});
        ImageOptions options;
        options.label = "TEST";
        int fd = ::open((dir / "out.iso").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        Outcome written = writeIsoImage(tree, options, fd);
        ::close(fd);
        if (written) {
            ADD_FAILURE() << "the image was made";
            continue;
        }
        EXPECT_THAT(written.failure().reason, HasSubstr(c.says));
        EXPECT_THAT(written.failure().reason, HasSubstr(c.source));
    }
}

// The disk fills while the image is written: the image fails with the
// system's reason instead of being reported whole.
TEST(IsoWriter, a_disk_that_fills_fails_the_image_with_the_reason) {
    TempDir dir;
    std::string big = dir.write("big.bin", noise(12 << 20, 3));
    ImageTree tree;
    tree.files.push_back({"BIG.BIN", 0, big, 0});
    ImageOptions options;
    options.label = "TEST";
    int fd = ::open((dir / "out.iso").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    Outcome written = Outcome();
    {
        FileSizeLimit limit(5 << 20);
        written = writeIsoImage(tree, options, fd);
    }
    ::close(fd);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.failure().reason, std::strerror(EFBIG));
}

} // namespace
} // namespace ornibe
