#pragma once

#include "settings/AnswerFileFields.h"

#include <string>
#include <vector>

namespace ornibe {

// What the controls of the unattended installation dialog hold, as plain
// values: the dialog shows a state made from the settings and makes the
// settings' fields from the state it is left with on OK. The lists show
// rows; the state holds the row chosen.
struct AnswerFileDialogState {
    AnswerFileFields::Mode mode = AnswerFileFields::Mode::None;
    std::string userFile;
    std::string fullName;
    std::string organization;
    std::string computerName;
    std::string adminPassword;
    std::string productKey;
    std::string workgroup;
    int timeZoneRow = 0;
    int languageRow = 0;
    bool autoPartition = false;
    bool acceptEula = false;

    bool operator==(const AnswerFileDialogState&) const = default;
};

// The time zone list: Microsoft's zones in index order, each row
// "(GMT+09:00) Osaka, Sapporo, Tokyo".
std::vector<std::string> timeZoneRows();
// The language list: 日本語, 英語（米国）.
std::vector<std::string> languageRows();

// The state the dialog opens with. A time zone that the table does not
// hold shows as Tokyo's row.
AnswerFileDialogState dialogStateOf(const AnswerFileFields& fields);
// The fields the dialog leaves; every field is kept whatever the mode, so
// that a mode chosen again finds what was typed.
AnswerFileFields fieldsOf(const AnswerFileDialogState& state);

// Which controls take input in a mode: the fields when the file is
// written from them, the file name when the user's file is used.
bool fieldsEnabled(AnswerFileFields::Mode mode);
bool userFileEnabled(AnswerFileFields::Mode mode);

} // namespace ornibe
