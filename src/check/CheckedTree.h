#pragma once

#include "check/TreeCheck.h"
#include "inf/InfFile.h"
#include "inf/SetupArchitecture.h"
#include "sys/CaseLookup.h"
#include "sys/Result.h"
#include "sys/ScratchFolders.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ornibe {

class Medium;

// A finished work folder as the tree check reads it: its setup folder,
// its files found as Windows finds them (letter case ignored), plain or in
// their compressed form, and cabinets expanded by the cabinet tool into a
// temporary folder outside the tree, removed with this object.
class CheckedTree {
public:
    explicit CheckedTree(const TreeCheckInput& input);
    // The setup tree of the medium cd: a folder read as above, or an image
    // whose files are copied out into the temporary folder when first
    // asked for, so that the cabinet tool and the readers take them as
    // files.
    CheckedTree(std::shared_ptr<const Medium> cd, const ToolSearch& tools);
    ~CheckedTree();
    CheckedTree(const CheckedTree&) = delete;
    CheckedTree& operator=(const CheckedTree&) = delete;

    const std::string& root() const { return root_; }
    Architecture architecture() const { return architecture_; }
    // The setup folder (I386, or AMD64 on an x64 tree) as the tree spells
    // it, and its name as the messages give it.
    const std::string& setupFolder() const { return setupFolder_; }
    std::string setupName() const { return std::string(setupFolderName(architecture_)); }

    // The file of the setup folder under its plain name, or under its
    // compressed name (x.sy_); nothing when neither is there.
    std::optional<std::string> plainFile(std::string_view name) const;
    std::optional<std::string> compressedFile(std::string_view name) const;

    // Expands the file called name from the cabinet, with the cabinet
    // tool, into a fresh temporary folder, once (a later call, letter case
    // aside, gives the same file): its path, or why not (the tool failed,
    // or the cabinet holds no file of that name).
    Result<std::string> expand(const std::string& cabinet, std::string_view name);

    // Expands the files of the setup folder called names that it holds only
    // compressed (as cabinets) by one run of the cabinet tool for them all,
    // so that expand() then finds each ready. A file the run did not give
    // is expanded by expand() on its own, which then says why.
    void expandAhead(const std::vector<std::string>& names);
    // The same for files of any cabinet (the cabinet's path, the name of
    // the file to take out of it).
    void expandAll(const std::vector<std::pair<std::string, std::string>>& files);

    // A setup file of the setup folder, plain or compressed, as the INF
    // parser reads it; nothing when the tree has neither form. A
    // compressed one that cannot be expanded is refused as unreadable.
    std::optional<Result<InfFile, InfProblem>> openSetupFile(std::string_view name,
                                                             InfStyle style = InfStyle::Win4);

private:
    std::string root_;
    Architecture architecture_;
    std::string setupFolder_;
    ToolSearch tools_;
    mutable ScratchFolders scratch_;
    // The image read in place (null for a folder), and its setup folder's
    // files copied out by their folded names (nothing for one it lacks).
    std::shared_ptr<const Medium> image_;
    mutable std::map<std::string, std::optional<std::string>> copied_;
    mutable std::optional<std::string> copyFolder_;
    // The folder that holds each cabinet's file taken out
    // ("CABINET\0NAME", the name folded).
    std::map<std::string, std::string> ready_;

    // The setup folder's names, read once (the check changes nothing in
    // the tree), so that each file's lookup does not list it again.
    mutable std::optional<CaseVariants> setupNames_;

    // A fresh folder below the temporary folder, or why not.
    Result<std::string> newFolder();
    // The regular file (or link to one) of the setup folder called name,
    // found as findFileNoCase finds it.
    std::optional<std::string> setupFile(std::string_view name) const;
    // The same file of the image, copied out.
    std::optional<std::string> imageFile(std::string_view name) const;
};

} // namespace ornibe
