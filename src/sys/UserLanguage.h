#pragma once

#include <string_view>

namespace ornibe {

class HostEnvironment;

// The language the program speaks to its user. Japanese is the program's
// own; English is taken only when the locale asks for it.
enum class UserLanguage { Japanese, English };

// The language the environment asks for, read as gettext reads it: the
// locale is the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty. When it is C or POSIX (or names none), the answer is Japanese and
// LANGUAGE is not looked at. Otherwise the entries of LANGUAGE are read in
// order and the first that names English ("en...") or Japanese ("ja...")
// decides; when none does, the locale decides: English when it names
// English, Japanese for everything else.
UserLanguage userLanguage(const HostEnvironment& environment);

// The language a locale name ("en_US.UTF-8", "ja", "C") asks for; Japanese
// for anything that is not English.
UserLanguage languageOfLocale(std::string_view locale);

} // namespace ornibe
