#include "answer/AnswerValueRules.h"

#include "answer/TimeZones.h"
#include "sys/Translation.h"

#include <algorithm>

namespace ornibe {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::size_t kMaxNetbiosName = 15;
constexpr std::size_t kMaxPassword = 127;
constexpr std::string_view kKeyAlphabet = "BCDFGHJKMPQRTVWXY2346789";

} // namespace

std::optional<std::string> plainTextProblem(std::string_view value) {
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) {
            return translated("ASCII の文字（英数字、記号、空白）だけにしてください。"
                              "日本語などの文字や制御文字は使えません。");
        }
        if (c == '"') {
            return translated("\" は使えません。値の終わりと読まれてしまいます。");
        }
    }
    return std::nullopt;
}

std::optional<std::string> netbiosNameProblem(std::string_view value, bool starAllowed) {
    if (starAllowed && value == "*") {
        return std::nullopt;
    }
    const bool wellFormed =
        !value.empty() && value.size() <= kMaxNetbiosName &&
        std::ranges::all_of(
            value, [](char c) { return isAsciiLetter(c) || isAsciiDigit(c) || c == '-'; }) &&
        std::ranges::any_of(value, isAsciiLetter);
    if (wellFormed) {
        return std::nullopt;
    }
    return starAllowed
               ? translated("15 文字までの英字・数字・ハイフン（-）で、英字を 1 つ以上含む名前"
                            "か、セットアップに決めさせる「*」にしてください。")
               : translated("15 文字までの英字・数字・ハイフン（-）で、英字を 1 つ以上含む名前"
                            "にしてください。");
}

std::optional<std::string> passwordProblem(std::string_view value) {
    if (value.size() > kMaxPassword) {
        return translated("127 文字までにしてください（%1 文字あります）。",
                          {std::to_string(value.size())});
    }
    return std::nullopt;
}

std::optional<std::string> productKeyProblem(std::string_view value) {
    bool wellFormed = value.size() == 29;
    for (std::size_t i = 0; wellFormed && i < value.size(); ++i) {
        wellFormed =
            i % 6 == 5 ? value[i] == '-' : isAsciiLetter(value[i]) || isAsciiDigit(value[i]);
    }
    if (wellFormed) {
        return std::nullopt;
    }
    return translated("5 文字ずつ 5 組の英数字をハイフンでつないだ形"
                      "（XXXXX-XXXXX-XXXXX-XXXXX-XXXXX）にしてください。");
}

std::optional<std::string> productKeyWarning(std::string_view value) {
    std::string outside;
    for (char c : value) {
        const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        if (c != '-' && kKeyAlphabet.find(upper) == std::string_view::npos &&
            outside.find(upper) == std::string::npos) {
            outside += upper;
        }
    }
    if (outside.empty()) {
        return std::nullopt;
    }
    return translated(
        "プロダクト キーに、本物のキーには使われない文字（%1）があります。打ち間違いで"
        "ないか確かめてください（本物のキーは %2 の 24 文字でできています）。",
        {outside, kKeyAlphabet});
}

std::optional<std::string> timeZoneProblem(std::string_view value) {
    int index = 0;
    bool digits = !value.empty() && value.size() <= 3 && std::ranges::all_of(value, isAsciiDigit);
    for (char c : digits ? value : std::string_view()) {
        index = index * 10 + (c - '0');
    }
    if (digits && findTimeZone(index) != nullptr) {
        return std::nullopt;
    }
    return translated(
        "「%1」は Microsoft のタイム ゾーン番号（Time Zone Index Values）の表にありません"
        "（東京は 235 です）。",
        {value});
}

std::string maskedProductKey(std::string_view key) {
    const std::size_t last = key.rfind('-');
    std::string masked;
    for (std::size_t i = 0; i < key.size(); ++i) {
        masked += last != std::string_view::npos && i > last ? key[i] : key[i] == '-' ? '-' : '*';
    }
    return masked;
}

} // namespace ornibe
