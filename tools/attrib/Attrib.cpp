#include "Attrib.h"

#include "common/ToolCommandLine.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

namespace ornibe {
namespace {

enum class Change { None, SetReadOnly, ClearReadOnly };

struct Arguments {
    Change change = Change::None;
    bool subfolders = false;
    bool folders = false;
};

ToolParse<Arguments> parse(const std::vector<std::string>& args) {
    Arguments parsed;
    auto operands = parseToolCommandLine(
        args,
        {.switches = {{.spellings = {"-R"},
                       .set = [&](const std::string&) { parsed.change = Change::ClearReadOnly; }},
                      {.spellings = {"+R"},
                       .set = [&](const std::string&) { parsed.change = Change::SetReadOnly; }},
                      {.spellings = {"/S"}, .set = setsTrue(parsed.subfolders)},
                      {.spellings = {"/D"}, .set = setsTrue(parsed.folders)}},
         // attrib takes no operands: every other word is an unknown switch.
         .looksLikeSwitch = [](const std::string&) { return true; },
         .unknownSwitch =
             [](const std::string& word) {
                 return "unknown argument " + word + " (usage: attrib [+R | -R] [/S] [/D])";
             }});
    if (!operands) {
        return operands.failure();
    }
    return parsed;
}

class Walk {
public:
    Walk(const Arguments& arguments, std::ostream& out, std::ostream& err)
        : arguments_(arguments), out_(out), err_(err) {}

    void folder(const std::string& path) {
        std::optional<std::vector<std::string>> entries = folderEntries(path);
        if (!entries) {
            report(path, errno);
            return;
        }
        std::vector<std::string> names = std::move(*entries);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            std::string child = joinPath(path, name);
            struct stat st {};
            if (::lstat(child.c_str(), &st) != 0) {
                report(child, errno);
                continue;
            }
            if (S_ISLNK(st.st_mode)) {
                continue;
            }
            bool isFolder = S_ISDIR(st.st_mode);
            if (!isFolder || arguments_.folders) {
                treat(child, st);
            }
            if (isFolder && arguments_.subfolders) {
                folder(child);
            }
        }
    }

    bool failed() const { return failed_; }

private:
    void treat(const std::string& path, const struct stat& st) {
        mode_t mode = st.st_mode & 07777;
        switch (arguments_.change) {
        case Change::None:
            out_ << ((mode & S_IWUSR) ? "     " : "  R  ") << path << "\n";
            return;
        case Change::ClearReadOnly:
            mode |= S_IWUSR;
            break;
        case Change::SetReadOnly:
            mode &= ~static_cast<mode_t>(S_IWUSR);
            break;
        }
        if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0) {
            report(path, errno);
        }
    }

    void report(const std::string& path, int error) {
        err_ << "attrib: " << path << ": " << systemReason(error) << "\n";
        failed_ = true;
    }

    const Arguments& arguments_;
    std::ostream& out_;
    std::ostream& err_;
    bool failed_ = false;
};

} // namespace

int runAttrib(const std::vector<std::string>& args, const std::string& folder, std::ostream& out,
              std::ostream& err) {
    ToolParse<Arguments> parsed = parse(args);
    if (!parsed) {
        err << "attrib: " << parsed.failure().message << "\n";
        return 1;
    }
    Walk walk(*parsed, out, err);
    walk.folder(folder);
    return walk.failed() ? 1 : 0;
}

} // namespace ornibe
