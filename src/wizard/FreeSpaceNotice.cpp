#include "wizard/FreeSpaceNotice.h"

#include "sys/CopyTree.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

namespace ornibe {
namespace {

constexpr std::uint64_t kMebibyte = 1048576;

} // namespace

std::string freeSpaceNotice(std::uint64_t freeBytes, std::optional<std::uint64_t> sourceBytes) {
    std::string notice = translated("作業フォルダに使える空き容量は %1MB です。",
                                    {std::to_string(freeBytes / kMebibyte)});
    if (sourceBytes) {
        notice += "\n" + translated("CD の内容には約 %1MB 必要です。",
                                    {std::to_string((*sourceBytes + kMebibyte - 1) / kMebibyte)});
    }
    return notice;
}

bool knownNotToFit(std::optional<std::uint64_t> sourceBytes, std::uint64_t freeBytes,
                   const std::string& workFolder) {
    if (!sourceBytes || *sourceBytes <= freeBytes) {
        return false;
    }
    // Only when it matters: the work folder may hold many files.
    std::uint64_t held = existsAsFolder(workFolder) ? treeBytes(workFolder).value_or(0) : 0;
    return *sourceBytes > freeBytes + held;
}

} // namespace ornibe
