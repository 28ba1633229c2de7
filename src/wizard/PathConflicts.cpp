#include "wizard/PathConflicts.h"

#include "media/VolumeDescriptor.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace ornibe {
namespace {

// A named path with its form as the host reaches it.
struct Resolved {
    const NamedPath* named;
    std::string real;
};

std::string roleName(PathRole role) {
    switch (role) {
    case PathRole::Source:
        return translated("読込元");
    case PathRole::WorkFolder:
        return translated("作業フォルダ");
    case PathRole::IsoImage:
        return translated("ISO イメージ");
    case PathRole::UsbImage:
        return translated("USB メモリ用イメージ");
    case PathRole::LogFile:
        return translated("ログファイル");
    case PathRole::ServicePack:
        return translated("Service Pack ファイル");
    case PathRole::DriverInf:
        return translated("ドライバの INF ファイル");
    case PathRole::DriverDisk:
        return translated("ドライバディスク");
    case PathRole::DriverFile:
        return translated("ドライバのファイル");
    case PathRole::AnswerFile:
        return translated("応答ファイル");
    case PathRole::PnpDriverInf:
        return translated("PnP ドライバの INF ファイル");
    case PathRole::PnpDriverFile:
        return translated("PnP ドライバのファイル");
    case PathRole::VirtioWin:
        return translated("virtio-win のメディア");
    case PathRole::TargetHardware:
        return translated("対象のハードウェアのファイル");
    }
    return {};
}

// "読込元 /path" and the like: how a refusal's reason names the other path.
std::string named(const Resolved& other) {
    return roleName(other.named->role) + " " + other.named->path;
}

bool entryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Two names of one file: the same real path, or (through a bind mount or a
// hard link) the same file on the same device.
bool sameFile(const Resolved& a, const Resolved& b) {
    if (a.real == b.real) {
        return true;
    }
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.real.c_str(), &sa) == 0 && ::stat(b.real.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The part of inner below outer; inner lies strictly inside outer.
std::string below(const std::string& inner, const std::string& outer) {
    return inner.substr(outer == "/" ? 1 : outer.size() + 1);
}

class ConflictCheck {
public:
    ConflictCheck(const std::vector<NamedPath>& paths, const std::string& home) : home_(home) {
        for (const NamedPath& path : paths) {
            resolved_.push_back({&path, hostRealPath(path.path)});
        }
        for (const Resolved& entry : resolved_) {
            if (entry.named->role == PathRole::WorkFolder) {
                work_ = &entry;
            } else if (entry.named->role == PathRole::Source && !source_) {
                // The source as chosen; what it is mounted from comes after.
                source_ = &entry;
            }
        }
    }

    Outcome run() const {
        if (work_) {
            if (Outcome outcome = checkWorkFolder(); !outcome) {
                return outcome;
            }
        }
        for (const Resolved& entry : resolved_) {
            if (isOutput(entry.named->role)) {
                if (Outcome outcome = checkOutput(entry); !outcome) {
                    return outcome;
                }
            } else if (entry.named->role != PathRole::WorkFolder &&
                       entry.named->role != PathRole::Source) {
                if (Outcome outcome = checkInputInWorkFolder(entry); !outcome) {
                    return outcome;
                }
            }
        }
        return {};
    }

private:
    Outcome checkWorkFolder() const {
        const std::string& path = work_->named->path;
        auto refused = [&](const std::string& reason) {
            return Failure::refusal(translated("作業フォルダ %1 は使えません。", {path}), path,
                                    reason);
        };
        const std::string forTheBuild = translated(
            "ビルドは作業フォルダ全体に書き込むので、そのためのフォルダを指定してください。");
        if (work_->real == "/") {
            return refused(translated("ルートフォルダ (/) です。%1", {forTheBuild}));
        }
        if (!home_.empty() && work_->real == hostRealPath(home_)) {
            return refused(translated("ホームフォルダ %1 そのものです。%2", {home_, forTheBuild}));
        }
        if (entryExists(path) && !existsAsFolder(path)) {
            return refused(existsAsFile(path) ? translated("フォルダではなくファイルです。")
                                              : translated("フォルダではありません。"));
        }
        if (source_) {
            if (work_->real == source_->real) {
                return refused(translated("%1 と同じフォルダです。", {named(*source_)}));
            }
            if (isSameOrInside(work_->real, source_->real)) {
                return refused(translated("%1 の中にあります。", {named(*source_)}));
            }
            if (isSameOrInside(source_->real, work_->real)) {
                return refused(translated("%1 がその中にあります。", {named(*source_)}));
            }
        }
        return {};
    }

    // An input may lie in the work folder, but not where the copy of the
    // source puts a file of its own: the copy would replace it before the
    // build reads it.
    Outcome checkInputInWorkFolder(const Resolved& input) const {
        if (!work_ || !source_ || !existsAsFolder(source_->real) ||
            !isSameOrInside(input.real, work_->real) || input.real == work_->real) {
            return {};
        }
        const std::string relative = below(input.real, work_->real);
        std::optional<std::string> entry = findNoCase(source_->real, relative);
        if (!entry) {
            return {};
        }
        const std::string& path = input.named->path;
        return Failure::refusal(
            translated("%1 は使えません。", {named(input)}), path,
            translated(
                "読込元の %1 が作業フォルダのこの名前にコピーされ、このファイルを置き換えます"
                "。作業フォルダの外に置いてください。",
                {*entry}));
    }

    Outcome checkOutput(const Resolved& output) const {
        const std::string& path = output.named->path;
        const bool image = output.named->role == PathRole::IsoImage;
        const bool stick = output.named->role == PathRole::UsbImage;
        auto refused = [&](const std::string& reason) {
            return Failure::refusal(
                image ? translated("ISO イメージ %1 を作成できません。", {path})
                : stick ? translated("USB メモリ用イメージ %1 を作成できません。", {path})
                        : translated("ログファイル %1 を書き込めません。", {path}),
                path, reason);
        };
        for (const Resolved& other : resolved_) {
            if (&other == &output) {
                continue;
            }
            const bool folder = other.named->role == PathRole::WorkFolder;
            if (folder && other.real == output.real) {
                return refused(translated("%1 と同じ名前です。", {named(other)}));
            }
            if (!folder && sameFile(output, other)) {
                return refused(translated("%1 と同じファイルです。", {named(other)}));
            }
            if (isSameOrInside(other.real, output.real)) {
                return refused(translated("%1 がその中にあります。", {named(other)}));
            }
            // The build reads the virtio-win folder's drivers while it
            // writes its outputs.
            if (other.named->role == PathRole::VirtioWin && existsAsFolder(other.real) &&
                isSameOrInside(output.real, other.real)) {
                return refused(translated("%1 の中です。", {named(other)}));
            }
        }
        if (source_ && existsAsFolder(source_->real) &&
            isSameOrInside(output.real, source_->real)) {
            return refused(translated("読込元のフォルダ %1 の中です。", {source_->named->path}));
        }
        if (!work_ || !isSameOrInside(output.real, work_->real)) {
            return {};
        }
        if (stick) {
            return refused(translated("作業フォルダ %1 の中です。USB "
                                      "メモリ用イメージには作業フォルダのツリーが入るので、"
                                      "作業フォルダの外に置いてください。",
                                      {work_->named->path}));
        }
        if (!image) {
            return refused(
                translated("作業フォルダ %1 の中です。作業フォルダの中のファイルは次の "
                           "ISO イメージに入るので、ログは作業フォルダの外に置いてください。",
                           {work_->named->path}));
        }
        // The tree's names match without regard to letter case, so any
        // spelling of a name the tree holds is that entry.
        const std::string relative = below(output.real, work_->real);
        const std::string onlyEarlier =
            translated("作業フォルダの中で ISO イメージが置き換えてよいのは、以前に作った ISO "
                       "イメージだけです。");
        if (std::optional<std::string> entry = findNoCase(work_->real, relative)) {
            if (existsAsFolder(*entry)) {
                return refused(translated("作業フォルダのフォルダ %1 と同じ名前です。", {*entry}));
            }
            if (!existsAsFile(*entry) || !hasIso9660Signature(*entry)) {
                return refused(
                    translated("%1 は作業フォルダのファイルです。%2", {*entry, onlyEarlier}));
            }
            if (*entry != output.real) {
                // A second spelling would leave two names in one folder
                // that Windows takes for one.
                return refused(translated("作業フォルダには大文字と小文字だけが違う %1 "
                                          "があります。同じ名前で指定してください。",
                                          {*entry}));
            }
            return {};
        }
        if (source_ && existsAsFolder(source_->real)) {
            if (std::optional<std::string> entry = findNoCase(source_->real, relative)) {
                return refused(
                    translated("読込元の %1 が作業フォルダのこの名前にコピーされます。%2",
                               {*entry, onlyEarlier}));
            }
        }
        return {};
    }

    std::string home_;
    std::vector<Resolved> resolved_;
    const Resolved* work_ = nullptr;
    const Resolved* source_ = nullptr;
};

} // namespace

std::string homeFolder(const HostEnvironment& environment) {
    if (std::optional<std::string> home = environment.nonEmpty("HOME")) {
        return *home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return {};
}

Outcome findPathConflict(const std::vector<NamedPath>& paths, const std::string& home) {
    return ConflictCheck(paths, home).run();
}

} // namespace ornibe
