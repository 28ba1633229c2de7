#include "wizard/LogFileCheck.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ornibe {

Outcome validateLogFile(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const std::string cannotWrite = translated("ログファイル %1 を書き込めません。", {path});
    if (path.back() == '/' || existsAsFolder(path)) {
        return Failure::refusal(
            cannotWrite, path,
            translated("フォルダの名前です。ログのファイル名を指定してください。"));
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return Failure::refusal(
            cannotWrite, path,
            translated("シンボリックリンクです。リンクの先には書き込みません。"));
    }
    std::string folder = folderPart(path);
    if (!existsAsFolder(folder)) {
        return Failure::refusal(cannotWrite, folder,
                                translated("%1 というフォルダはありません。", {folder}));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure::refusal(
            cannotWrite, folder,
            translated("%1 に書き込めません（%2）。", {folder, systemReason(errno)}));
    }
    if (isReadOnly(path)) {
        return Failure::refusal(cannotWrite, path, translated("読み取り専用のファイルです。"));
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
        return Failure::refusal(translated("ログファイル %1 を書き込めません。", {path}),
                                error.path(), error.reason());
    }
    return {};
}

} // namespace ornibe
