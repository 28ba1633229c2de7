#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The sample CD with the sample driver, which the build compresses into
// the tree, imaged into work's image; extra goes before the program (an
// environment for env).
CommandResult buildImage(const std::string& work, std::vector<std::string> extra,
                         std::vector<std::string> options) {
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), {kProgram, "--work", work, "--source", kSampleTree, "--driver",
                             kSampleDriverInf, "--iso", work + ".iso", "--yes", "--quiet"});
    argv.insert(argv.end(), options.begin(), options.end());
    return runCommand(argv);
}

// The volume's creation date as the primary volume descriptor holds it:
// "YYYYMMDDhhmmsscc" and the offset from UTC in quarter hours.
std::string volumeCreation(const std::string& image) {
    std::ifstream in(image, std::ios::binary);
    in.seekg(16 * 2048 + 813);
    std::string field(17, '\0');
    in.read(field.data(), 17);
    return in ? field : std::string();
}

TEST(ReproducibleImage, the_same_inputs_make_the_same_image_in_any_folder_time_and_zone) {
    TempDir dir;
    const std::string first = dir / "first";
    const std::string second = dir / "second";
    const std::string zoned = dir / "zoned";
    CommandResult one = buildImage(first, {"TZ=UTC"}, {"--reproducible"});
    ASSERT_EQ(one.exitCode, 0) << one.output;
    // A second later, so that a date of the run would show.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    CommandResult two = buildImage(second, {"TZ=UTC"}, {"--reproducible"});
    ASSERT_EQ(two.exitCode, 0) << two.output;
    // SOURCE_DATE_EPOCH alone asks for the same, in another time zone.
    CommandResult three = buildImage(zoned, {"TZ=Asia/Tokyo", "SOURCE_DATE_EPOCH=946684800"}, {});
    ASSERT_EQ(three.exitCode, 0) << three.output;

    CommandResult same = runCommand({"cmp", first + ".iso", second + ".iso"});
    EXPECT_EQ(same.exitCode, 0) << same.output;
    same = runCommand({"cmp", first + ".iso", zoned + ".iso"});
    EXPECT_EQ(same.exitCode, 0) << same.output;
    // 2000-01-01 00:00:00 UTC when the environment names no date.
    EXPECT_EQ(volumeCreation(first + ".iso"), std::string("2000010100000000") + '\0');
    // The log says nothing of it.
    EXPECT_THAT(one.output, Not(HasSubstr("SOURCE_DATE_EPOCH")));
}

TEST(ReproducibleImage, a_date_that_is_no_number_of_seconds_is_refused_before_anything_changes) {
    TempDir dir;
    for (std::string value : {"soon", "-1", "1e9", "5869584000"}) {
        SCOPED_TRACE(value);
        CommandResult result = buildImage(dir / "work", {"SOURCE_DATE_EPOCH=" + value}, {});
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_THAT(result.output,
                    HasSubstr("環境変数 SOURCE_DATE_EPOCH の値「" + value +
                              "」は使えません。\n"
                              "ISO イメージの日時を、1970 年 1 月 1 日 0 時 (UTC) からの秒数で"));
        EXPECT_FALSE(fs::exists(dir / "work"));
    }
    // The last second an image can hold is taken.
    CommandResult last = buildImage(dir / "last", {"SOURCE_DATE_EPOCH=5869583999"}, {});
    EXPECT_EQ(last.exitCode, 0) << last.output;
    EXPECT_EQ(volumeCreation(dir / "last.iso"), std::string("2155123123595900") + '\0');
}

} // namespace
} // namespace ornibe::test
