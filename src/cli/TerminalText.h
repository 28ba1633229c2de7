#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Every text that ornibe-build writes of its own (besides the log and the
// wizard's messages it shares): the option parser's errors, the refusals
// of its arguments, the words around --help, the end of a stopped build.
// One row each, in Japanese like the rest of the program; "%1" and "%2"
// stand for the values put in.
enum class TerminalText {
    UsageLead,
    GivenTwice,
    ExcludeEachOther,
    BothReadStandardInput,
    UnexpectedArgument,
    UnknownOption,
    TakesNoValue,
    NeedsValue,
    Required,
    NeedsOption,
    UnknownMachine,
    TimeZoneIndex,
    LanguageValue,
    VirtioWinNotMedium,
    VirtioWinOnlyEmpty,
    VirtioWinOnlyUnknown,
    SourceEmpty,
    SourceNotUsable,
    DriverNotUsable,
    PnpDriverNotReadable,
    PnpDriverNeedsAnswerFile,
    LogNotWritten,
    WorkNotFolder,
    IsoNotFile,
    UsbImageNotFile,
    TargetUnreadable,
    ListEntriesNotFloppy,
    AnsweredNo,
    Stopped,
    HelpUsage,
    HelpIntro,
    HelpEnd,
    ProgressCopy,
    ProgressImage,
    ProgressFiles,
    DriverSourceMissing,
    AllowUnloadableDriver,
};

struct TerminalTextRow {
    TerminalText id;
    std::string_view text;
};

// The rows, one for each TerminalText.
std::span<const TerminalTextRow> terminalTexts();

// The row's text with %1, %2 ... replaced by the values in order.
std::string terminalText(TerminalText id, std::initializer_list<std::string_view> values = {});

// For a refusal of the settings that an option can mend (a field of the
// answer file, a Plug and Play driver without one), the line that names
// the option; nothing for any other message.
std::vector<std::string> optionHints(std::string_view message);

// The hints optionHints gives, each once, for the test of the wording.
std::vector<std::string> allOptionHints();

} // namespace ornibe
