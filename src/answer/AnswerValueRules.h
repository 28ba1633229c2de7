#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The rules that setup holds the values of an answer file to, shared by
// the fields the program writes and the user's own file. Each answers with
// the reason in the program's words when the value breaks it, and with
// nothing when it keeps it.

// Printable ASCII only, without a double quote: how text-mode setup reads
// other bytes is documented nowhere, and a quote would end the value
// before the user's end.
std::optional<std::string> plainTextProblem(std::string_view value);

// A NetBIOS name (a computer or a workgroup): at most 15 letters, digits
// and hyphens, one letter at least; "*" (setup makes up a name) where
// starAllowed.
std::optional<std::string> netbiosNameProblem(std::string_view value, bool starAllowed);

// The Administrator's password: at most 127 characters.
std::optional<std::string> passwordProblem(std::string_view value);

// Five groups of five letters or digits joined by hyphens.
std::optional<std::string> productKeyProblem(std::string_view value);

// Real keys are made of 24 letters and digits only (BCDFGHJKMPQRTVWXY2346789);
// another one is most likely a typing error, but it is the user's key: a
// warning naming the characters, not a refusal.
std::optional<std::string> productKeyWarning(std::string_view value);

// The TimeZone value as the file holds it: decimal digits that name an
// index of Microsoft's table.
std::optional<std::string> timeZoneProblem(std::string_view value);

// The last group of a key for the summary, the rest hidden:
// "*****-*****-*****-*****-ABCDE".
std::string maskedProductKey(std::string_view key);

} // namespace ornibe
