#include "sys/InputSnapshot.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"

#include <sys/stat.h>

#include <cerrno>

namespace ornibe {

std::optional<std::string> InputSnapshots::read(const std::string& path, std::uint64_t maxBytes,
                                                std::uint64_t* size) {
    std::lock_guard lock(mutex_);
    auto found = kept_.find(path);
    if (found == kept_.end() || found->second.maxBytes != maxBytes) {
        // stat, unlike open, does not wait for a FIFO's writer.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            throwFileError("open", path, errno);
        }
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            throw FileError("read", path,
                            "通常のファイルではありません。パイプや FIFO、デバイスは一度しか"
                            "読めないので使えません。内容をファイルに保存して指定してください");
        }
        Snapshot snapshot;
        snapshot.maxBytes = maxBytes;
        snapshot.bytes = readFileAtMost(path, maxBytes, &snapshot.size);
        found = kept_.insert_or_assign(path, std::move(snapshot)).first;
    }
    if (size != nullptr) {
        *size = found->second.size;
    }
    return found->second.bytes;
}

bool InputSnapshots::holds(const std::string& path) {
    std::lock_guard lock(mutex_);
    return kept_.contains(path);
}

void InputSnapshots::forget() {
    std::lock_guard lock(mutex_);
    kept_.clear();
}

} // namespace ornibe
