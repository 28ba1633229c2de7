#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ornibe {

// The last second a directory record of an ISO 9660 image can hold:
// 2155-12-31 23:59:59 UTC.
inline constexpr std::int64_t kLastSourceDateEpoch = 5869583999;

// The value of SOURCE_DATE_EPOCH (the reproducible-builds convention:
// seconds since 1970-01-01 00:00:00 UTC) as a number: decimal digits only,
// at most kLastSourceDateEpoch. Nothing for any other text.
std::optional<std::int64_t> parseSourceDateEpoch(std::string_view text);

} // namespace ornibe
