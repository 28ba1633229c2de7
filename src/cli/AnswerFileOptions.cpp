#include "cli/AnswerFileOptions.h"
#include "cli/TerminalText.h"

#include "cli/CommandOptionTable.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/Translation.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>
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
            {"--admin-password-file", options.adminPasswordFile.has_value()},
            {"--product-key-file", options.productKeyFile.has_value()},
            {"--time-zone", options.timeZone.has_value()},
            {"--language", options.language.has_value()},
            {"--workgroup", options.workgroup.has_value()},
            {"--auto-partition", options.autoPartition},
            {"--accept-eula", options.acceptEula}};
}

// A password or a key is one line; a file far larger is not one.
constexpr std::uint64_t kMaxSecretBytes = 64u << 10;

// The secret of one --*-file option: the file's or standard input's text
// without its one trailing line break (LF or CR LF).
std::optional<std::string> readSecret(const std::string& source, std::istream& in,
                                      std::string_view what, std::string& error) {
    std::optional<std::string> text;
    if (source == "-") {
        std::string read;
        char buffer[4096];
        while (read.size() <= kMaxSecretBytes && in.read(buffer, sizeof buffer).gcount() > 0) {
            read.append(buffer, static_cast<std::size_t>(in.gcount()));
        }
        if (read.size() <= kMaxSecretBytes) {
            text = std::move(read);
        }
    } else {
        try {
            text = readFileAtMost(source, kMaxSecretBytes);
        } catch (const FileError& failure) {
            error = translated("%1のファイル %2 を読めません（%3）。",
                               {translated(what), source, failure.reason()});
            return std::nullopt;
        }
    }
    const std::string shown = source == "-" ? translated("標準入力") : source;
    if (!text) {
        error = translated("%1の %2 が大きすぎます（1 行だけ書いてください）。",
                           {translated(what), shown});
        return std::nullopt;
    }
    if (text->ends_with('\n')) {
        text->pop_back();
        if (text->ends_with('\r')) {
            text->pop_back();
        }
    }
    return text;
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
    if (options.adminPassword && options.adminPasswordFile) {
        return terminalText(TerminalText::ExcludeEachOther,
                            {"--admin-password", "--admin-password-file"});
    }
    if (options.productKey && options.productKeyFile) {
        return terminalText(TerminalText::ExcludeEachOther,
                            {"--product-key", "--product-key-file"});
    }
    if (options.adminPasswordFile == "-" && options.productKeyFile == "-") {
        return terminalText(TerminalText::BothReadStandardInput,
                            {"--admin-password-file", "--product-key-file"});
    }
    if (options.timeZone && !isNumber(*options.timeZone)) {
        return terminalText(TerminalText::TimeZoneIndex, {*options.timeZone});
    }
    if (options.language && *options.language != "ja" && *options.language != "en") {
        return terminalText(TerminalText::LanguageValue, {*options.language});
    }
    return std::nullopt;
}

std::optional<std::string> readSecretFiles(CommandOptions& options, std::istream& in) {
    std::string error;
    if (options.adminPasswordFile) {
        options.adminPassword = readSecret(*options.adminPasswordFile, in,
                                           toTranslate("Administrator のパスワード"), error);
        if (!options.adminPassword) {
            return error;
        }
    }
    if (options.productKeyFile) {
        options.productKey =
            readSecret(*options.productKeyFile, in, toTranslate("プロダクト キー"), error);
        if (!options.productKey) {
            return error;
        }
    }
    return std::nullopt;
}

void hideSecretArguments(int argc, char** argv) {
    const std::span<const OptionRow> table = commandOptionTable();
    auto rowOf = [&](std::string_view name) -> const OptionRow* {
        for (const OptionRow& row : table) {
            if (row.name == name) {
                return &row;
            }
        }
        return nullptr;
    };
    auto wipe = [](char* text) { std::memset(text, 0, std::strlen(text)); };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const OptionRow* row = argument.starts_with("--") ? rowOf(name) : nullptr;
        if (row == nullptr || !row->takesValue()) {
            continue;
        }
        const bool secret = name == "--admin-password" || name == "--product-key";
        if (equals != std::string_view::npos) {
            if (secret) {
                wipe(argv[i] + equals + 1);
            }
        } else if (i + 1 < argc) {
            ++i;
            if (secret) {
                wipe(argv[i]);
            }
        }
    }
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
