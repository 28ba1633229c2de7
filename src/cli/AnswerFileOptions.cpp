#include "cli/AnswerFileOptions.h"
#include "cli/TerminalText.h"

#include <algorithm>
#include <utility>

namespace ornibe {
namespace {

// The options that fill a field of the file to write.
std::vector<std::pair<const char*, bool>> fieldOptionsGiven(const CommandOptions& options) {
    return {{"--product-key", options.productKey.has_value()},
            {"--full-name", options.fullName.has_value()},
            {"--organization", options.organization.has_value()},
            {"--computer-name", options.computerName.has_value()},
            {"--admin-password", options.adminPassword.has_value()},
            {"--time-zone", options.timeZone.has_value()},
            {"--language", options.language.has_value()},
            {"--workgroup", options.workgroup.has_value()},
            {"--auto-partition", options.autoPartition},
            {"--accept-eula", options.acceptEula}};
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.size() <= 3 &&
           std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<std::string> answerFileOptionsMisfit(const CommandOptions& options) {
    if (options.unattended && !options.answerFile.empty()) {
        return terminalText(TerminalText::ExcludeEachOther, {"--unattended", "--answer-file"});
    }
    for (const auto& [name, given] : fieldOptionsGiven(options)) {
        if (given && !options.unattended) {
            return terminalText(TerminalText::NeedsOption, {name, "--unattended"});
        }
    }
    if (options.timeZone && !isNumber(*options.timeZone)) {
        return terminalText(TerminalText::TimeZoneIndex, {*options.timeZone});
    }
    if (options.language && *options.language != "ja" && *options.language != "en") {
        return terminalText(TerminalText::LanguageValue, {*options.language});
    }
    return std::nullopt;
}

AnswerFileFields answerFileFieldsOf(const CommandOptions& options) {
    AnswerFileFields fields;
    if (!options.answerFile.empty()) {
        fields.mode = AnswerFileFields::Mode::UserFile;
        fields.userFile = options.answerFile;
        return fields;
    }
    if (!options.unattended) {
        return fields;
    }
    fields.mode = AnswerFileFields::Mode::Write;
    fields.productKey = options.productKey.value_or(fields.productKey);
    fields.fullName = options.fullName.value_or(fields.fullName);
    fields.organization = options.organization.value_or(fields.organization);
    fields.computerName = options.computerName.value_or(fields.computerName);
    fields.adminPassword = options.adminPassword.value_or(fields.adminPassword);
    fields.workgroup = options.workgroup.value_or(fields.workgroup);
    if (options.timeZone) {
        fields.timeZone = std::stoi(*options.timeZone);
    }
    if (options.language == "en") {
        fields.language = AnswerFileFields::Language::English;
    }
    fields.autoPartition = options.autoPartition;
    fields.acceptEula = options.acceptEula;
    return fields;
}

} // namespace ornibe
