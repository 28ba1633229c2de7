#include "sys/UserLanguage.h"

#include "sys/HostEnvironment.h"

#include <optional>

namespace ornibe {
namespace {

bool namesLanguage(std::string_view locale, std::string_view code) {
    // "en", "en_US", "en_GB.UTF-8", "en@quot": the code, then the end or one
    // of the separators of a locale name.
    if (locale.substr(0, code.size()) != code) {
        return false;
    }
    if (locale.size() == code.size()) {
        return true;
    }
    const char next = locale[code.size()];
    return next == '_' || next == '.' || next == '@' || next == '-';
}

bool isPlainLocale(std::string_view locale) {
    return locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C." ||
           locale.substr(0, 2) == "C@";
}

} // namespace

UserLanguage languageOfLocale(std::string_view locale) {
    return namesLanguage(locale, "en") ? UserLanguage::English : UserLanguage::Japanese;
}

UserLanguage userLanguage(const HostEnvironment& environment) {
    std::optional<std::string> locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment.nonEmpty(name);
        if (locale) {
            break;
        }
    }
    if (!locale || isPlainLocale(*locale)) {
        return UserLanguage::Japanese;
    }
    if (const auto list = environment.nonEmpty("LANGUAGE")) {
        std::string_view rest = *list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            if (namesLanguage(entry, "en")) {
                return UserLanguage::English;
            }
            if (namesLanguage(entry, "ja")) {
                return UserLanguage::Japanese;
            }
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    return languageOfLocale(*locale);
}

} // namespace ornibe
