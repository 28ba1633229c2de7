#pragma once

#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/Samples.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace ornibe::test {

// ornibe-build in the build tree, for the test programs that run it.
inline const std::string kProgram = ORNIBE_BUILD_PROGRAM;

// Runs ornibe-build with arguments, in folder when one is given, so that
// relative names are taken from there.
inline CommandResult runBuild(std::vector<std::string> arguments, const std::string& folder = "") {
    arguments.insert(arguments.begin(), kProgram);
    return runCommand(arguments, folder);
}

// A run that ornibe-build refuses before it starts: its arguments and the
// message the refusal shows.
struct Refusal {
    std::vector<std::string> arguments;
    std::string message;
};

// Runs each case (in folder, when one is given) and checks that it is
// refused with exit status 2 and its message before the build starts, and
// that nothing below root changed.
inline void expectRefusedLeavingAsItWas(const std::string& root, const std::vector<Refusal>& cases,
                                        const std::string& folder = "") {
    const TreeSnapshot before = snapshotTree(root);
    for (const Refusal& refusal : cases) {
        SCOPED_TRACE(refusal.message);
        CommandResult result = runBuild(refusal.arguments, folder);
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_THAT(result.output, ::testing::HasSubstr(refusal.message));
        EXPECT_THAT(result.output, ::testing::Not(::testing::HasSubstr("スタート！")));
    }
    EXPECT_EQ(snapshotTree(root), before);
}

} // namespace ornibe::test
