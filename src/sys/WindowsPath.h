#pragma once

#include <string_view>
#include <vector>

namespace ornibe {

// What to do with the empty names between separators.
enum class EmptyNames { Drop, Keep };

// The names of a path written the Windows way ("I386\SVCPACK") or the
// host's ("I386/svcpack"), split at "\" and "/", in order. Empty names (a
// leading, trailing or doubled separator) are dropped, or kept where a
// caller refuses them; "." and ".." are names like any other.
std::vector<std::string_view> splitWindowsPath(std::string_view path,
                                               EmptyNames empty = EmptyNames::Drop);

} // namespace ornibe
