#include "wizard/FreeSpaceNotice.h"

#include "sys/CopyTree.h"
#include "sys/HostPath.h"

namespace ornibe {
namespace {

constexpr std::uint64_t kMebibyte = 1048576;

} // namespace

std::string freeSpaceNotice(std::uint64_t freeBytes, std::optional<std::uint64_t> sourceBytes) {
    std::string notice =
        "作業フォルダに使える空き容量は " + std::to_string(freeBytes / kMebibyte) + "MB です。";
    if (sourceBytes) {
        notice += "\nCD の内容には約 " +
                  std::to_string((*sourceBytes + kMebibyte - 1) / kMebibyte) + "MB 必要です。";
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
