#include "wizard/LogFileCheck.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ornibe {

Outcome validateLogFile(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const std::string cannotWrite = "ログファイル " + path + " を書き込めません。";
    if (path.back() == '/' || existsAsFolder(path)) {
        return Failure::refusal(cannotWrite, path,
                                "フォルダの名前です。ログのファイル名を指定してください。");
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return Failure::refusal(cannotWrite, path,
                                "シンボリックリンクです。リンクの先には書き込みません。");
    }
    std::string folder = folderPart(path);
    if (!existsAsFolder(folder)) {
        return Failure::refusal(cannotWrite, folder, folder + " というフォルダはありません。");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure::refusal(cannotWrite, folder,
                                folder + " に書き込めません（" + systemReason(errno) + "）。");
    }
    if (isReadOnly(path)) {
        return Failure::refusal(cannotWrite, path, "読み取り専用のファイルです。");
    }
    return {};
}

Outcome saveLogFile(const std::string& path, std::string_view text) {
    if (Outcome usable = validateLogFile(path); !usable) {
        return usable;
    }
    try {
        writeFileAtomic(path, text);
    } catch (const FileError& error) {
        return Failure::refusal("ログファイル " + path + " を書き込めません。", error.path(),
                                error.reason());
    }
    return {};
}

} // namespace ornibe
