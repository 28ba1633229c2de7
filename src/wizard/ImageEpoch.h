#pragma once

#include "sys/Result.h"

#include <cstdint>
#include <optional>

namespace ornibe {

// The date a reproducible image is given when the environment names none:
// 2000-01-01 00:00:00 UTC.
inline constexpr std::int64_t kDefaultImageEpoch = 946684800;

// The date every entry of the image is given, so that the same inputs make
// the same image: SOURCE_DATE_EPOCH when the environment sets it (the
// reproducible-builds convention), else kDefaultImageEpoch when the user
// asked for a reproducible image; none otherwise. A value that is not a
// whole number of seconds in the range an image can hold is refused, also
// when no reproducible image was asked for: the environment asks for one.
Result<std::optional<std::int64_t>> imageEpochOf(bool reproducible, const char* sourceDateEpoch);

} // namespace ornibe
