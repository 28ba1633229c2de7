#include "wizard/ImageEpoch.h"

#include "sys/SourceDateEpoch.h"
#include "sys/Translation.h"

#include <string>
#include <string_view>

namespace ornibe {

Result<std::optional<std::int64_t>> imageEpochOf(bool reproducible, const char* sourceDateEpoch) {
    const std::string_view text = sourceDateEpoch ? sourceDateEpoch : "";
    if (text.empty()) {
        return reproducible ? std::optional<std::int64_t>(kDefaultImageEpoch) : std::nullopt;
    }
    std::optional<std::int64_t> seconds = parseSourceDateEpoch(text);
    if (!seconds) {
        return Failure::refusal(
            translated("環境変数 SOURCE_DATE_EPOCH の値「%1」は使えません。", {text}), {},
            translated("ISO イメージの日時を、1970 年 1 月 1 日 0 時 (UTC) からの秒数で、0 から %1 "
                       "までの整数で指定してください。",
                       {std::to_string(kLastSourceDateEpoch)}));
    }
    return seconds;
}

} // namespace ornibe
