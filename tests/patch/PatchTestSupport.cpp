#include "PatchTestSupport.h"

#include "support/BuildTreeTools.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace ornibe::test {

std::set<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder).value_or(std::vector<std::string>{});
    return {names.begin(), names.end()};
}

namespace {

void collect(const std::string& base, const std::string& relative,
             std::map<std::string, std::string>& out) {
    std::string folder = relative.empty() ? base : joinPath(base, relative);
    for (const std::string& name : namesIn(folder)) {
        std::string rel = relative.empty() ? name : relative + "/" + name;
        std::string path = joinPath(base, rel);
        if (existsAsFolder(path)) {
            out[rel + "/"] = "";
            collect(base, rel, out);
        } else {
            out[rel] = slurp(path);
        }
    }
}

void runTool(const std::string& commandLine) {
    ChildProcessRunner runner(buildTreeTools("."), commandLine);
    ASSERT_TRUE(runner.run()) << commandLine << ": " << runner.startFailure();
    ASSERT_EQ(runner.exitCode(), 0u) << commandLine;
}

} // namespace

std::string snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    collect(folder, "", files);
    std::string out;
    for (const auto& [name, bytes] : files) {
        out += name + "\n" + bytes + "\n";
    }
    return out;
}

std::string makeCabinet(const std::string& file, const std::string& folder) {
    runTool(quoteArgument(joinPath(ORNIBE_BUILD_TOOL_DIR, "makecab")) + " /L " +
            quoteArgument(folder) + " " + quoteArgument(file));
    std::string name = fileName(file);
    name.back() = '_';
    return joinPath(folder, name);
}

void expandCabinet(const std::string& cabinet, const std::string& folder) {
    runTool(quoteArgument(joinPath(ORNIBE_BUILD_TOOL_DIR, "extract")) + " /Y /L " +
            quoteArgument(folder) + " " + quoteArgument(cabinet));
}

void removeTree(const std::string& folder) {
    std::filesystem::remove_all(folder);
}

void makeReadOnly(const std::string& path) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)), 0) << path;
}

} // namespace ornibe::test
