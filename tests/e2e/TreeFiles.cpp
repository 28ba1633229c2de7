#include "TreeFiles.h"

#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

const std::string kGenerator =
    std::string(ORNIBE_SOURCE_DIR) + "/tests/e2e/tree_generator/make_tree.py";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

bool makeTree(const std::string& folder, const std::string& target,
              const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {"python3", kGenerator, "--tree", folder, "--target", target};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return runCommand(argv).exitCode == 0;
}

bool makeDriver(const std::string& folder) {
    return runCommand({"python3", kGenerator, "--driver", folder}).exitCode == 0;
}

std::map<std::string, std::string> readTree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            files[fs::relative(entry.path(), root).string()] = slurp(entry.path().string());
        }
    }
    return files;
}

std::vector<std::string> foldersOf(const std::string& root) {
    std::vector<std::string> folders;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_directory() && !entry.is_symlink()) {
            folders.push_back(fs::relative(entry.path(), root).string());
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool ownerMayWriteAll(const std::string& root) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        if (lstat(entry.path().c_str(), &st) != 0 || (st.st_mode & S_IWUSR) == 0) {
            return false;
        }
    }
    return true;
}

CabinetFile expandCabinet(const std::string& cabinet, const std::string& scratch) {
    std::string folder;
    for (int i = 0;; ++i) {
        folder = scratch + "/cab" + std::to_string(i);
        if (!fs::exists(folder)) {
            break;
        }
    }
    fs::create_directories(folder + "/out");
    std::string path = folder + "/packed.cab";
    std::ofstream(path, std::ios::binary) << cabinet;
    if (runCommand({"cabextract", "-q", "-d", folder + "/out", path}).exitCode != 0) {
        return {};
    }
    std::map<std::string, std::string> files = readTree(folder + "/out");
    if (files.size() != 1) {
        return {};
    }
    return {files.begin()->first, files.begin()->second};
}

ImageReport readImage(const std::string& image) {
    ImageReport report;
    CommandResult found = runCommand(
        {"xorriso", "-ecma119_map", "unmapped", "-indev", image, "-find", "/", "-type", "f"});
    report.output += found.output;
    for (const std::string& line : linesOf(found.output)) {
        if (line.size() > 2 && line.front() == '\'' && line.back() == '\'') {
            report.files.push_back(line.substr(1, line.size() - 2));
        }
    }
    std::sort(report.files.begin(), report.files.end());

    CommandResult boot =
        runCommand({"xorriso", "-indev", image, "-report_el_torito", "plain", "-pvd_info"});
    report.output += boot.output;
    for (const std::string& line : linesOf(boot.output)) {
        if (line.rfind("El Torito boot img :", 0) == 0) {
            std::istringstream words(line.substr(20));
            std::string word;
            while (words >> word) {
                report.bootEntry.push_back(word);
            }
        }
        const std::string volume = "Volume Id    : ";
        if (line.rfind(volume, 0) == 0) {
            report.volumeId = line.substr(volume.size());
        }
    }
    return report;
}

bool extractImage(const std::string& image, const std::string& folder) {
    return runCommand({"xorriso", "-osirrox", "on", "-indev", image, "-extract", "/", folder})
               .exitCode == 0;
}

} // namespace ornibe::test
