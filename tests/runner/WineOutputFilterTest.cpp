#include "runner/WineOutputFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace ornibe {
namespace {

// What Wine writes around an installer the first time it runs: the notes
// about its prefix and debug lines, some with a thread id, in CR LF and LF
// lines, and the installer's own last line without a line break.
const std::string kOutput =
    "wine: created the configuration directory '/home/user/.wine'\n"
    "0024:err:ole:StdMarshalImpl_MarshalInterface Failed to create ifstub\r\n"
    "Extracting files...\r\n"
    "fixme:ntdll:NtQuerySystemInformation info_class 0x95\n"
    "\n"
    "002c:warn:seh:dispatch_exception unhandled\n"
    "Service Pack 4 setup: updating I386\r\n"
    "wine: configuration in L\"/home/user/.wine\" has been updated.\n"
    "00ff:trace:module:load_dll\n"
    "Done: 12 files";
const std::string kKept = "Extracting files...\r\n"
                          "\n"
                          "Service Pack 4 setup: updating I386\r\n"
                          "Done: 12 files";

std::string filterInChunks(std::string_view text, std::size_t size) {
    WineOutputFilter filter;
    std::string kept;
    for (std::size_t at = 0; at < text.size(); at += size) {
        kept += filter.feed(text.substr(at, size));
    }
    return kept + filter.finish();
}

// Output read from a pipe arrives in pieces that end anywhere, also inside
// a thread id, a debug class, or between CR and LF: the kept text is the
// same however the output was cut.
TEST(WineOutputFilter, keeps_the_installer_lines_wherever_the_chunks_end) {
    for (std::size_t cut = 0; cut <= kOutput.size(); ++cut) {
        WineOutputFilter filter;
        std::string kept = filter.feed(std::string_view(kOutput).substr(0, cut));
        kept += filter.feed(std::string_view(kOutput).substr(cut));
        kept += filter.finish();
        ASSERT_EQ(kept, kKept) << "cut at " << cut;
    }
    for (std::size_t size : {1u, 2u, 3u, 7u, 64u}) {
        EXPECT_EQ(filterInChunks(kOutput, size), kKept) << "chunks of " << size;
    }
}

// Only whole lines leave the filter: a line is held back until its line
// break arrives, and Wine's own unfinished last line is dropped at the end.
TEST(WineOutputFilter, holds_unfinished_lines_until_they_end) {
    WineOutputFilter filter;
    EXPECT_EQ(filter.feed("Copying"), "");
    EXPECT_EQ(filter.feed(" SP4.CAT\r"), "");
    EXPECT_EQ(filter.feed("\n0024:er"), "Copying SP4.CAT\r\n");
    EXPECT_EQ(filter.feed("r:setupapi:x"), "");
    EXPECT_EQ(filter.finish(), "");
    EXPECT_EQ(filter.finish(), "");
}

} // namespace
} // namespace ornibe
