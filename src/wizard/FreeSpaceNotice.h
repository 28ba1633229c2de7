#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ornibe {

// The free-space notice of the work folder: "作業フォルダに使える空き容量は
// %uMB です。" (whole MiB, rounded down), and under it, when the size of
// the source is known, "CD の内容には約 %uMB 必要です。" (rounded up, so
// that the need is never understated).
std::string freeSpaceNotice(std::uint64_t freeBytes, std::optional<std::uint64_t> sourceBytes);

// Whether the copy of a source of sourceBytes is known not to fit into the
// work folder: it needs more than the free bytes together with the bytes
// of the files the folder already holds, which a copy of the same CD
// replaces rather than adds to. A source of unknown size fits.
bool knownNotToFit(std::optional<std::uint64_t> sourceBytes, std::uint64_t freeBytes,
                   const std::string& workFolder);

} // namespace ornibe
