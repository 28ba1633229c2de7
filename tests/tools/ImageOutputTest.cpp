#include "ImageOutput.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace ornibe {
namespace {

using test::FileSizeLimit;
using test::noise;
using test::slurp;
using test::TempDir;

int createFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

// Hands bytes to output a piece at a time; false once a piece is refused.
bool handOver(ImageOutput& output, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); at += ImageOutput::kPieceSize) {
        std::span<unsigned char> piece = output.piece();
        if (piece.empty()) {
            return false;
        }
        size_t length = std::min(ImageOutput::kPieceSize, bytes.size() - at);
        std::copy_n(bytes.data() + at, length, piece.data());
        output.write(length);
    }
    return true;
}

// Three whole pieces, then a last one of three 2048-byte blocks, a length
// that direct writes to a disk of 4096-byte blocks do not take: the file
// holds every byte in order whether the pieces went directly or not, and
// the direct writes give way to ordinary ones only for that last piece.
TEST(ImageOutput, writes_every_piece_in_order_directly_or_not) {
    const std::string whole = noise(3 * ImageOutput::kPieceSize, 7);
    const std::string tail = noise(3 * 2048, 8);
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct writes" : "ordinary writes");
        TempDir dir;
        int fd = createFile(dir / "image.iso");
        ASSERT_GE(fd, 0);
        {
            ImageOutput output(fd, direct);
            const bool tookDirect = output.writesDirect();
            if (!direct) {
                EXPECT_FALSE(tookDirect);
            }
            ASSERT_TRUE(handOver(output, whole));
            EXPECT_EQ(output.finish(), std::nullopt);
            EXPECT_EQ(output.writesDirect(), tookDirect);
            ASSERT_TRUE(handOver(output, tail));
            EXPECT_EQ(output.finish(), std::nullopt);
            EXPECT_FALSE(output.writesDirect());
        }
        ::close(fd);
        EXPECT_TRUE(slurp(dir / "image.iso") == whole + tail);
    }
}

// A disk that fills after a piece and a half: the write that fails is
// reported with its error, the bytes before it are in the file, no later
// piece is taken, and an output given up with pieces still queued goes
// without waiting for them.
TEST(ImageOutput, a_failed_write_is_reported_and_ends_the_writing) {
    const size_t room = ImageOutput::kPieceSize + ImageOutput::kPieceSize / 2;
    const std::string bytes = noise(8 * ImageOutput::kPieceSize, 9);
    for (bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct writes" : "ordinary writes");
        TempDir dir;
        int fd = createFile(dir / "image.iso");
        ASSERT_GE(fd, 0);
        {
            FileSizeLimit limit(room);
            ImageOutput output(fd, direct);
            EXPECT_FALSE(handOver(output, bytes));
            EXPECT_EQ(output.finish(), EFBIG);
            EXPECT_TRUE(output.piece().empty());
        }
        ::close(fd);
        EXPECT_TRUE(slurp(dir / "image.iso") == bytes.substr(0, room));

        fd = createFile(dir / "dropped.iso");
        ASSERT_GE(fd, 0);
        {
            ImageOutput output(fd, direct);
            for (int i = 0; i < 2; ++i) {
                output.piece();
                output.write(ImageOutput::kPieceSize);
            }
        }
        ::close(fd);
    }
}

} // namespace
} // namespace ornibe
