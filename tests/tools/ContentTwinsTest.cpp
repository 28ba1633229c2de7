#include "ContentTwins.h"
#include "TestFiles.h"

#include "sys/FileError.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::ElementsAre;

TEST(ContentTwins, joins_equal_content_and_keeps_same_size_different_content_apart) {
    TempDir dir;
    const std::string a = test::noiseBytes(3 << 20, 1);
    std::string b = a;
    b[b.size() - 1] ^= 1; // differs in the last byte only
    std::vector<std::string> paths = {
        dir.write("a1", a),  dir.write("b1", b),  dir.write("a2", a),
        dir.write("e1", ""), dir.write("e2", ""), dir.write("b2", b),
    };
    std::vector<std::uint64_t> sizes = {a.size(), b.size(), a.size(), 0, 0, b.size()};

    EXPECT_THAT(findContentTwins(paths, sizes), ElementsAre(0, 1, 0, 3, 4, 1));
}

TEST(ContentTwins, unreadable_candidate_raises_file_error) {
    TempDir dir;
    std::vector<std::string> paths = {dir.write("a", "same"), dir / "gone"};

    EXPECT_THROW(findContentTwins(paths, {4, 4}), FileError);
}

} // namespace
} // namespace ornibe
