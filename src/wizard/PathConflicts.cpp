#include "wizard/PathConflicts.h"

#include "media/VolumeDescriptor.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"

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
        return "読込元";
    case PathRole::WorkFolder:
        return "作業フォルダ";
    case PathRole::IsoImage:
        return "ISO イメージ";
    case PathRole::UsbImage:
        return "USB メモリ用イメージ";
    case PathRole::LogFile:
        return "ログファイル";
    case PathRole::ServicePack:
        return "Service Pack ファイル";
    case PathRole::DriverInf:
        return "ドライバの INF ファイル";
    case PathRole::DriverDisk:
        return "ドライバディスク";
    case PathRole::DriverFile:
        return "ドライバのファイル";
    case PathRole::AnswerFile:
        return "応答ファイル";
    case PathRole::PnpDriverInf:
        return "PnP ドライバの INF ファイル";
    case PathRole::PnpDriverFile:
        return "PnP ドライバのファイル";
    case PathRole::VirtioWin:
        return "virtio-win のメディア";
    case PathRole::TargetHardware:
        return "対象のハードウェアのファイル";
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
            return Failure::refusal("作業フォルダ " + path + " は使えません。", path, reason);
        };
        const std::string forTheBuild =
            "ビルドは作業フォルダ全体に書き込むので、そのためのフォルダを指定してください。";
        if (work_->real == "/") {
            return refused("ルートフォルダ (/) です。" + forTheBuild);
        }
        if (!home_.empty() && work_->real == hostRealPath(home_)) {
            return refused("ホームフォルダ " + home_ + " そのものです。" + forTheBuild);
        }
        if (entryExists(path) && !existsAsFolder(path)) {
            return refused(existsAsFile(path) ? "フォルダではなくファイルです。"
                                              : "フォルダではありません。");
        }
        if (source_) {
            if (work_->real == source_->real) {
                return refused(named(*source_) + " と同じフォルダです。");
            }
            if (isSameOrInside(work_->real, source_->real)) {
                return refused(named(*source_) + " の中にあります。");
            }
            if (isSameOrInside(source_->real, work_->real)) {
                return refused(named(*source_) + " がその中にあります。");
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
            named(input) + " は使えません。", path,
            "読込元の " + *entry +
                " が作業フォルダのこの名前にコピーされ、このファイルを置き換えます"
                "。作業フォルダの外に置いてください。");
    }

    Outcome checkOutput(const Resolved& output) const {
        const std::string& path = output.named->path;
        const bool image = output.named->role == PathRole::IsoImage;
        const bool stick = output.named->role == PathRole::UsbImage;
        auto refused = [&](const std::string& reason) {
            return Failure::refusal(image ? "ISO イメージ " + path + " を作成できません。"
                                    : stick ? "USB メモリ用イメージ " + path + " を作成できません。"
                                            : "ログファイル " + path + " を書き込めません。",
                                    path, reason);
        };
        for (const Resolved& other : resolved_) {
            if (&other == &output) {
                continue;
            }
            const bool folder = other.named->role == PathRole::WorkFolder;
            if (folder && other.real == output.real) {
                return refused(named(other) + " と同じ名前です。");
            }
            if (!folder && sameFile(output, other)) {
                return refused(named(other) + " と同じファイルです。");
            }
            if (isSameOrInside(other.real, output.real)) {
                return refused(named(other) + " がその中にあります。");
            }
            // The build reads the virtio-win folder's drivers while it
            // writes its outputs.
            if (other.named->role == PathRole::VirtioWin && existsAsFolder(other.real) &&
                isSameOrInside(output.real, other.real)) {
                return refused(named(other) + " の中です。");
            }
        }
        if (source_ && existsAsFolder(source_->real) &&
            isSameOrInside(output.real, source_->real)) {
            return refused("読込元のフォルダ " + source_->named->path + " の中です。");
        }
        if (!work_ || !isSameOrInside(output.real, work_->real)) {
            return {};
        }
        if (stick) {
            return refused("作業フォルダ " + work_->named->path +
                           " の中です。USB メモリ用イメージには作業フォルダのツリーが入るので、"
                           "作業フォルダの外に置いてください。");
        }
        if (!image) {
            return refused("作業フォルダ " + work_->named->path +
                           " の中です。作業フォルダの中のファイルは次の ISO "
                           "イメージに入るので、ログは作業フォルダの外に置いてください。");
        }
        // The tree's names match without regard to letter case, so any
        // spelling of a name the tree holds is that entry.
        const std::string relative = below(output.real, work_->real);
        const std::string onlyEarlier =
            "作業フォルダの中で ISO イメージが置き換えてよいのは、以前に作った ISO "
            "イメージだけです。";
        if (std::optional<std::string> entry = findNoCase(work_->real, relative)) {
            if (existsAsFolder(*entry)) {
                return refused("作業フォルダのフォルダ " + *entry + " と同じ名前です。");
            }
            if (!existsAsFile(*entry) || !hasIso9660Signature(*entry)) {
                return refused(*entry + " は作業フォルダのファイルです。" + onlyEarlier);
            }
            if (*entry != output.real) {
                // A second spelling would leave two names in one folder
                // that Windows takes for one.
                return refused("作業フォルダには大文字と小文字だけが違う " + *entry +
                               " があります。同じ名前で指定してください。");
            }
            return {};
        }
        if (source_ && existsAsFolder(source_->real)) {
            if (std::optional<std::string> entry = findNoCase(source_->real, relative)) {
                return refused("読込元の " + *entry +
                               " が作業フォルダのこの名前にコピーされます。" + onlyEarlier);
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
