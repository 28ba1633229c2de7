#include "wizard/AnswerFileDialogState.h"

#include "answer/AnswerFileSummary.h"
#include "answer/TimeZones.h"
#include "sys/Translation.h"

#include <iterator>

namespace ornibe {
namespace {

constexpr AnswerFileFields::Language kLanguages[] = {AnswerFileFields::Language::Japanese,
                                                     AnswerFileFields::Language::English};

int rowOfTimeZone(int index) {
    const auto zones = timeZones();
    for (std::size_t row = 0; row < zones.size(); ++row) {
        if (zones[row].index == index) {
            return static_cast<int>(row);
        }
    }
    return index == kTokyoTimeZone ? 0 : rowOfTimeZone(kTokyoTimeZone);
}

} // namespace

std::vector<std::string> timeZoneRows() {
    std::vector<std::string> rows;
    for (const TimeZone& zone : timeZones()) {
        rows.push_back(translated(zone.display));
    }
    return rows;
}

std::vector<std::string> languageRows() {
    std::vector<std::string> rows;
    for (AnswerFileFields::Language language : kLanguages) {
        rows.push_back(languageName(language));
    }
    return rows;
}

AnswerFileDialogState dialogStateOf(const AnswerFileFields& fields) {
    AnswerFileDialogState state;
    state.mode = fields.mode;
    state.userFile = fields.userFile;
    state.fullName = fields.fullName;
    state.organization = fields.organization;
    state.computerName = fields.computerName;
    state.adminPassword = fields.adminPassword;
    state.productKey = fields.productKey;
    state.workgroup = fields.workgroup;
    state.timeZoneRow = rowOfTimeZone(fields.timeZone);
    state.languageRow = fields.language == AnswerFileFields::Language::English ? 1 : 0;
    state.autoPartition = fields.autoPartition;
    state.acceptEula = fields.acceptEula;
    return state;
}

AnswerFileFields fieldsOf(const AnswerFileDialogState& state) {
    AnswerFileFields fields;
    fields.mode = state.mode;
    fields.userFile = state.userFile;
    fields.fullName = state.fullName;
    fields.organization = state.organization;
    fields.computerName = state.computerName;
    fields.adminPassword = state.adminPassword;
    fields.productKey = state.productKey;
    fields.workgroup = state.workgroup;
    const auto zones = timeZones();
    if (state.timeZoneRow >= 0 && static_cast<std::size_t>(state.timeZoneRow) < zones.size()) {
        fields.timeZone = zones[static_cast<std::size_t>(state.timeZoneRow)].index;
    }
    if (state.languageRow >= 0 && state.languageRow < int(std::size(kLanguages))) {
        fields.language = kLanguages[state.languageRow];
    }
    fields.autoPartition = state.autoPartition;
    fields.acceptEula = state.acceptEula;
    return fields;
}

bool fieldsEnabled(AnswerFileFields::Mode mode) {
    return mode == AnswerFileFields::Mode::Write;
}

bool userFileEnabled(AnswerFileFields::Mode mode) {
    return mode == AnswerFileFields::Mode::UserFile;
}

} // namespace ornibe
