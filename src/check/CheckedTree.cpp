#include "check/CheckedTree.h"

#include "patch/SetupFileEditor.h"
#include "source/Medium.h"
#include "source/SetupTree.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <cerrno>

namespace ornibe {

CheckedTree::CheckedTree(const TreeCheckInput& input)
    : root_(input.workFolder), architecture_(sourceArchitecture(*Medium::open(input.workFolder))),
      setupFolder_(entryPathNoCase(input.workFolder, std::string(setupFolderName(architecture_)))),
      tools_(input.tools), scratch_("ornibe-check", input.tools.environment().tempFolder()) {}

CheckedTree::CheckedTree(std::shared_ptr<const Medium> cd, const ToolSearch& tools)
    : root_(cd->path()), architecture_(sourceArchitecture(*cd)),
      setupFolder_(cd->isImage()
                       ? joinPath(root_, std::string(setupFolderName(architecture_)))
                       : entryPathNoCase(root_, std::string(setupFolderName(architecture_)))),
      tools_(tools), scratch_("ornibe-check", tools.environment().tempFolder()),
      image_(cd->isImage() ? std::move(cd) : nullptr) {}

CheckedTree::~CheckedTree() = default;

std::optional<std::string> CheckedTree::imageFile(std::string_view name) const {
    const std::string folded = foldHostText(name);
    if (auto known = copied_.find(folded); known != copied_.end()) {
        return known->second;
    }
    std::optional<std::string>& copy = copied_[folded];
    const std::string relative = std::string(setupFolderName(architecture_)) + "/" + folded;
    if (name.empty() || name.find_first_of("/\\") != std::string_view::npos ||
        !image_->hasFile(relative)) {
        return copy;
    }
    Result<std::string> bytes = image_->readFile(relative);
    if (!copyFolder_) {
        if (Result<std::string> made = scratch_.make()) {
            copyFolder_ = *made;
        }
    }
    if (!bytes || !copyFolder_) {
        return copy;
    }
    try {
        const std::string path = joinPath(*copyFolder_, folded);
        writeFileAtomic(path, *bytes);
        copy = path;
    } catch (const FileError&) {
    }
    return copy;
}

std::optional<std::string> CheckedTree::setupFile(std::string_view name) const {
    if (image_) {
        return imageFile(name);
    }
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string_view::npos) {
        return findFileNoCase(setupFolder_, name);
    }
    // The exact spelling first, then the smallest name that differs from
    // it only in letter case.
    std::string path = joinPath(setupFolder_, name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (!setupNames_) {
            setupNames_.emplace();
            for (const std::string& entry :
                 folderEntries(setupFolder_).value_or(std::vector<std::string>{})) {
                setupNames_->add(entry);
            }
        }
        const std::string* twin = setupNames_->find(name);
        if (twin == nullptr) {
            return std::nullopt;
        }
        path = joinPath(setupFolder_, *twin);
    }
    if (!existsAsFile(path)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> CheckedTree::plainFile(std::string_view name) const {
    return setupFile(name);
}

std::optional<std::string> CheckedTree::compressedFile(std::string_view name) const {
    return setupFile(compressedName(name));
}

Result<std::string> CheckedTree::newFolder() {
    // Each cabinet gets a folder of its own, so that two cabinets holding
    // files of one name never meet.
    return scratch_.make();
}

void CheckedTree::expandAhead(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : names) {
        if (plainFile(name)) {
            continue;
        }
        if (std::optional<std::string> packed = compressedFile(name)) {
            files.emplace_back(*packed, name);
        }
    }
    expandAll(files);
}

void CheckedTree::expandAll(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string tool = SetupFileEditor::FindTool(tools_, "EXTRACT");
    if (files.empty() || tool.empty()) {
        return;
    }
    // The list names each cabinet, its folder and the file to take out,
    // each ended by a NUL byte. The files share one folder: each name,
    // letter case aside, is taken out once, from the first cabinet that
    // names it.
    Result<std::string> folder = newFolder();
    if (!folder) {
        return;
    }
    std::string list;
    std::map<std::string, std::string> planned;
    CaseVariants taken;
    for (const auto& [packed, name] : files) {
        if (taken.find(name) != nullptr || ready_.contains(packed + '\0' + foldHostText(name)) ||
            !SetupFileEditor::IsCabinet(packed)) {
            continue;
        }
        taken.add(name);
        planned.emplace(packed + '\0' + foldHostText(name), *folder);
        list += packed + '\0' + *folder + '\0' + name + '\0';
    }
    if (planned.empty()) {
        return;
    }
    Result<std::string> listFolder = newFolder();
    if (!listFolder) {
        return;
    }
    const std::string listFile = joinPath(*listFolder, "list");
    try {
        writeFileAtomic(listFile, list);
    } catch (const FileError&) {
        return;
    }
    // What the run did not give is looked at again one by one.
    runToolQuietly(tools_, quoteArgument(tool) + " /Y /F " + quoteArgument(listFile));
    ready_.merge(planned);
}

Result<std::string> CheckedTree::expand(const std::string& cabinet, std::string_view name) {
    // A file taken out before stays there for every later reader: the
    // check changes nothing it expands.
    const std::string key = cabinet + '\0' + foldHostText(name);
    if (auto found = ready_.find(key); found != ready_.end()) {
        if (std::optional<std::string> file = findFileNoCase(found->second, name)) {
            return *file;
        }
    }
    Result<std::string> made = newFolder();
    if (!made) {
        return made.failure();
    }
    const std::string folder = *made;
    std::string tool = SetupFileEditor::FindTool(tools_, "EXTRACT");
    if (tool.empty()) {
        return Failure{"expand", cabinet, translated("展開する EXTRACT.EXE が見つかりません。")};
    }
    if (Outcome ran = runToolQuietly(
            tools_, quoteArgument(tool) + " /Y /L " + quoteArgument(folder) + " " +
                        quoteArgument(cabinet) + " " + quoteArgument(std::string(name)));
        !ran) {
        return Failure{"expand", cabinet, ran.failure().reason};
    }
    if (std::optional<std::string> file = findFileNoCase(folder, name)) {
        ready_.emplace(key, folder);
        return *file;
    }
    return Failure{"expand", cabinet, translated("このキャビネットに %1 がありません。", {name})};
}

std::optional<Result<InfFile, InfProblem>> CheckedTree::openSetupFile(std::string_view name,
                                                                      InfStyle style) {
    if (std::optional<std::string> plain = plainFile(name)) {
        return InfFile::read(*plain, style);
    }
    std::optional<std::string> packed = compressedFile(name);
    if (!packed) {
        return std::nullopt;
    }
    if (!SetupFileEditor::IsCabinet(*packed)) {
        return InfProblem{
            InfProblem::Kind::Unreadable, 0,
            translated("%1 はキャビネットファイルではありません。", {fileName(*packed)})};
    }
    Result<std::string> expanded = expand(*packed, name);
    if (!expanded) {
        return InfProblem{InfProblem::Kind::Unreadable, 0, expanded.failure().reason};
    }
    return InfFile::read(*expanded, style);
}

} // namespace ornibe
