#pragma once

#include "inf/WindowsTarget.h"
#include "settings/AnswerFileFields.h"

#include <string>
#include <vector>

namespace ornibe {

// One line of an answer file the program writes: key = value in a section.
// A quoted value is written between double quotes (names, the password,
// the key), a plain one as it is (numbers, words, "*").
struct AnswerEntry {
    std::string section;
    std::string key;
    std::string value;
    bool quoted = false;

    bool operator==(const AnswerEntry&) const = default;
};

// What the answer file says for the fields on the version (Windows 2000,
// XP or Server 2003), section by section in a fixed order, with
// only the keys that version's setup knows: Windows 2000 takes the key as
// ProductID, installs into \WINNT and knows neither UnattendSwitch nor the
// *_DefaultUser keys. Unsigned drivers would stop an unattended setup, so
// with integrated drivers the signing policies are Ignore.
std::vector<AnswerEntry> answerFileEntries(const AnswerFileFields& fields, WindowsVersion version,
                                           bool driversIntegrated);

// The file's bytes: a comment line, then each section with its lines and a
// blank line after it, ASCII with CR LF line ends. The same entries always
// give the same bytes.
std::string answerFileText(const std::vector<AnswerEntry>& entries);

} // namespace ornibe
