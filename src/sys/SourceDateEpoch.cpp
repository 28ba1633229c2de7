#include "sys/SourceDateEpoch.h"

#include <charconv>

namespace ornibe {

std::optional<std::int64_t> parseSourceDateEpoch(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() ||
        seconds > kLastSourceDateEpoch) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace ornibe
