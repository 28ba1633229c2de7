#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ornibe {

// Windows trees copied to Linux, and driver media, carry names whose letter
// case differs from what setup files and INFs say. These lookups match
// names as Windows does: ASCII letters fold, nothing else does.

// Names of one folder by their case-folded form. Of several names that
// differ only in case the smallest stands for them all, so that the choice
// does not depend on the order of the directory.
class CaseVariants {
public:
    void add(const std::string& name);
    // The name that stands for the variants of name; nothing when none of
    // them was added.
    const std::string* find(std::string_view name) const;

private:
    std::map<std::string, std::string, std::less<>> byFold_;
};

// The names of a destination folder, read once, so that each new entry
// finds an existing case twin without listing the folder again: a copy
// into a folder never makes two names that differ only in case.
class DestFolder {
public:
    explicit DestFolder(std::string path);

    const std::string& path() const { return path_; }

    // The path that name takes here: the exact name when it exists, else
    // the smallest existing name that differs only in case, else name.
    // existed tells whether that entry was there before (read from the
    // folder or handed out earlier), so that a new one needs no lstat.
    std::string entryFor(const std::string& name, bool* existed = nullptr);

private:
    void add(const std::string& name);

    std::string path_;
    std::set<std::string> exact_;
    CaseVariants twins_;
};

// The real path of the entry below base that matches relative component by
// component ignoring ASCII case. relative may use "/" or "\" and may start
// with either; "." components are skipped, ".." goes up. An exact match is
// preferred over a case-folded one. Nothing when no such entry exists.
std::optional<std::string> findNoCase(const std::string& base, std::string_view relative);

// The name of the entry in folder equal to name ignoring ASCII case: the
// exact spelling when it exists, else the smallest that differs only in
// case; an empty folder is the current one. Nothing when there is none.
std::optional<std::string> entryNameNoCase(const std::string& folder, std::string_view name);

// The existing regular file (or link to one) called name in folder,
// whatever its case; an empty folder is the current one. Nothing when
// there is none.
std::optional<std::string> findFileNoCase(const std::string& folder, std::string_view name);

// The path a new or existing entry called name takes inside folder: an
// entry whose name differs only in case is used when there is one, so that
// a folder never holds two names that differ only in case; otherwise
// folder/name as given.
std::string entryPathNoCase(const std::string& folder, std::string_view name);

} // namespace ornibe
