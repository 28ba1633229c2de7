#pragma once

#include "answer/AnswerCheck.h"
#include "inf/WindowsTarget.h"
#include "settings/AnswerFileFields.h"

namespace ornibe {

// Holds the fields of an answer file to write (Mode::Write) to what setup
// accepts, field by field in the dialog's order: every text printable
// ASCII without '"' or '%', a full name, the computer name and the
// workgroup NetBIOS names, the password at most 127 characters and not
// "*" alone, a key of the right form (one outside the alphabet of real keys
// is a warning), a time zone of Microsoft's table. The version must be
// known: it decides the keys written.
AnswerCheck checkAnswerFields(const AnswerFileFields& fields, WindowsVersion version);

} // namespace ornibe
