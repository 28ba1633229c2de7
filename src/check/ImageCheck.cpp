#include "check/TreeCheckParts.h"
#include "media/BootImage.h"
#include "media/IsoImageReader.h"
#include "sys/BuildRecord.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <set>

namespace ornibe {
namespace {

// How many names of each kind the report spells out; the rest are counted.
constexpr std::size_t kNamesShown = 3;

struct NameFindings {
    std::vector<std::string> missing;
    std::vector<std::string> notUpper;
};

// Compares the names of the tree's folder with the image's folder of the
// same path: setup's loader looks names up in upper case on the CD.
// The image itself, when it was written into the tree, is not in it, nor
// is the build's record.
void compareFolder(const IsoImageReader& image, const std::string& imageFile,
                   const std::string& hostFolder, const std::string& relative,
                   NameFindings& found) {
    std::optional<std::vector<std::string>> inImage = image.folderNames(relative);
    std::set<std::string> exact(
        inImage ? inImage->begin() : std::vector<std::string>::const_iterator{},
        inImage ? inImage->end() : std::vector<std::string>::const_iterator{});
    std::set<std::string> folded;
    for (const std::string& name : exact) {
        folded.insert(foldHostText(name));
    }
    for (const std::string& name : folderEntries(hostFolder).value_or(std::vector<std::string>{})) {
        const std::string path = joinPath(hostFolder, name);
        if (realPath(path) == imageFile) {
            continue;
        }
        const std::string inTree = relative.empty() ? name : relative + "/" + name;
        // The build's record stays out of the image.
        if (isBuildRecord(inTree)) {
            continue;
        }
        const std::string upper = foldHostText(name);
        if (!exact.contains(upper)) {
            (folded.contains(upper) ? found.notUpper : found.missing).push_back(inTree);
            if (!folded.contains(upper)) {
                continue;
            }
        }
        if (existsAsFolder(path)) {
            compareFolder(image, imageFile, path, relative.empty() ? upper : relative + "/" + upper,
                          found);
        }
    }
}

std::string someNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        text += (i == 0 ? "" : translated("、")) + names[i];
    }
    if (names.size() > kNamesShown) {
        text += translated(" ほか %1 個", {std::to_string(names.size() - kNamesShown)});
    }
    return text;
}

} // namespace

void checkImage(const CheckedTree& tree, const std::string& isoPath, TreeCheckReport& report) {
    IsoImageReader image(isoPath);
    if (!image.ok()) {
        report.problem(translated("ISO イメージ %1 を読めません（%2）", {isoPath, image.error()}));
        return;
    }
    NameFindings found;
    compareFolder(image, realPath(isoPath).value_or(isoPath), tree.root(), "", found);
    if (!found.missing.empty()) {
        report.problem(
            translated("ISO イメージにない作業フォルダのファイル: %1", {someNames(found.missing)}));
    }
    if (!found.notUpper.empty()) {
        report.problem(
            translated("ISO イメージで大文字でない名前（セットアップは大文字で探します）: %1",
                       {someNames(found.notUpper)}));
    }
    Result<BootImage> boot = findBootImage(isoPath);
    if (!boot) {
        report.problem(translated("ISO イメージから起動できません: %1", {boot.failure().reason}));
    } else if (boot->sectors != 4) {
        report.problem(translated(
            "ISO イメージの起動エントリが読み込むのは %1 セクタです（Windows の CD は 4 セクタ）。",
            {std::to_string(boot->sectors)}));
    }
}

} // namespace ornibe
