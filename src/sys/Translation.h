#pragma once

#include "sys/UserLanguage.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The program's texts are Japanese, and each Japanese text is the key of
// its English translation in the message catalog (po/en.po, compiled by
// msgfmt into ornibe.mo). A text the program shows or writes for its user
// goes through translated() where it is shown; a text kept in a table for
// later is marked with toTranslate() where it is written, so that the
// catalog's tools (xgettext) and its completeness check find both.
// Nothing written into the tree or the image goes through either.

// The texts of one compiled catalog (a GNU .mo file): its original texts
// and their translations. The reader is bounded: every table and text must
// lie inside the file, and a file larger than kMaxBytes is not read.
class MessageCatalog {
public:
    static constexpr std::size_t kMaxBytes = 8u << 20;

    // The catalog held in bytes, or nothing when they are not a .mo file
    // or any of its tables points outside them.
    static std::optional<MessageCatalog> parse(std::string_view bytes);
    // The same for a file; nothing when it cannot be read.
    static std::optional<MessageCatalog> read(const std::string& path);

    // The translation of text; nothing when the catalog has none or an
    // empty one.
    std::optional<std::string_view> find(std::string_view text) const;
    std::size_t size() const { return texts_.size(); }

private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// Marks a text of a table, translated when it is shown. The text itself.
constexpr std::string_view toTranslate(std::string_view text) {
    return text;
}

// The text in the language the program speaks: the catalog's translation
// when one is in use and has it, the text itself otherwise.
std::string translated(std::string_view text);
// The same with %1, %2 ... %9 replaced by the values in order, after the
// translation, so that a language puts them where its word order needs.
std::string translated(std::string_view text, std::initializer_list<std::string_view> values);

// form with %1, %2 ... %9 replaced by the values in order; a % before any
// other character, or before a number without a value, stays as it is.
std::string filledIn(std::string_view form, std::initializer_list<std::string_view> values);

// Chooses the language the program speaks, once, in its main, before any
// other thread starts. Japanese needs no catalog. For English, the own
// catalog is read; when it cannot be, the program stays Japanese and the
// answer names the file that was not found.
std::optional<std::string> speakLanguage(UserLanguage language);

} // namespace ornibe
