#include "cli/CommandOptions.h"

#include <set>

namespace ornibe {
namespace {

enum class Takes { Nothing, Value };

struct OptionSpec {
    const char* name;
    Takes takes;
};

constexpr OptionSpec kOptions[] = {
    {"--work", Takes::Value},           {"--source", Takes::Value},
    {"--label", Takes::Value},          {"--service-pack", Takes::Value},
    {"--driver", Takes::Value},         {"--big-drive", Takes::Nothing},
    {"--no-big-drive", Takes::Nothing}, {"--iso", Takes::Value},
    {"--yes", Takes::Nothing},          {"--log", Takes::Value},
    {"--quiet", Takes::Nothing},        {"--help", Takes::Nothing},
    {"--version", Takes::Nothing},
};

const OptionSpec* findOption(const std::string& name) {
    for (const OptionSpec& spec : kOptions) {
        if (name == spec.name) {
            return &spec;
        }
    }
    return nullptr;
}

UsageError usage(const std::string& text) {
    return {text + " (see ornibe-build --help)"};
}

} // namespace

ParsedCommand parseCommandOptions(const std::vector<std::string>& arguments) {
    CommandOptions options;
    std::set<std::string> seen;
    std::optional<CommandAction> action;

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string name = argument;
        std::optional<std::string> value;
        if (size_t equals = argument.find('=');
            argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const OptionSpec* spec = findOption(name);
        if (!spec) {
            return argument.starts_with("-") ? usage("unknown option: " + argument)
                                             : usage("unexpected argument: " + argument);
        }
        if (spec->takes == Takes::Nothing && value) {
            return usage(name + " takes no value");
        }
        if (spec->takes == Takes::Value && !value) {
            if (i + 1 >= arguments.size()) {
                return usage(name + " needs a value");
            }
            value = arguments[++i];
        }
        if (name != "--driver" && !seen.insert(name).second) {
            return usage(name + " is given more than once");
        }

        if (name == "--help") {
            action = CommandAction::Help;
        } else if (name == "--version") {
            action = action.value_or(CommandAction::Version);
        } else if (name == "--work") {
            options.workFolder = *value;
        } else if (name == "--source") {
            options.source = *value;
        } else if (name == "--label") {
            options.label = *value;
        } else if (name == "--service-pack") {
            options.servicePack = *value;
        } else if (name == "--driver") {
            options.drivers.push_back(*value);
        } else if (name == "--big-drive" || name == "--no-big-drive") {
            if (options.bigDrive) {
                return usage("--big-drive and --no-big-drive exclude each other");
            }
            options.bigDrive = name == "--big-drive";
        } else if (name == "--iso") {
            options.isoPath = *value;
        } else if (name == "--yes") {
            options.yes = true;
        } else if (name == "--log") {
            options.logFile = *value;
        } else if (name == "--quiet") {
            options.quiet = true;
        }
    }

    if (action) {
        return *action;
    }
    if (options.workFolder.empty()) {
        return usage("--work DIR is required");
    }
    return options;
}

std::string commandHelp() {
    return R"(Usage: ornibe-build --work DIR [--source SOURCE] [--label TEXT]
                    [--service-pack FILE] [--driver INF]... [--big-drive | --no-big-drive]
                    [--iso FILE] [--yes] [--log FILE] [--quiet]
       ornibe-build --help | --version

Builds a customised Windows 2000, XP or Server 2003 installation tree and,
if asked, a bootable ISO image, as the ornibe wizard does: the same checks,
the same build, the same log. Each option stands for a field of the
wizard's settings page.

  --work DIR           作業フォルダ (work folder); required
  --source SOURCE      読込元のCDドライブ (where the Windows files come from):
                       "none" (the default, 読み込みしない) when DIR already
                       holds the CD's files; an ISO image file of the CD or
                       a disc device (/dev/sr0), read in place; or a folder
                       that holds the CD's files (a mounted CD or image, or
                       an unpacked copy). The CD's boot image is taken from
                       its El Torito catalog when it has one.
  --label TEXT         ボリュームラベル (volume label of the image); without it,
                       the source's own label when it has one
  --service-pack FILE  Service Pack ファイル (installer run in integration mode)
  --driver INF         ドライバの INF ファイル; repeat for several, kept in order
  --big-drive          137GB 以上のハードディスク: on (the default)
  --no-big-drive       137GB 以上のハードディスク: off
  --iso FILE           ISOイメージのファイル名 (no image when left out)
  --yes                answer yes to the wizard's questions (a work folder
                       that is not empty, the free space); without it they
                       are answered no and nothing is built
  --log FILE           also write the whole log to FILE as the wizard holds it
                       (UTF-8, CR LF line breaks)
  --quiet              no progress bar on standard error
  --help               show this text
  --version            show the version

The log goes to standard output. Ctrl+C stops the build: the running step
is ended and its temporary files are removed.

Exit status: 0 the build finished (完成です！), 1 the build stopped at a
failure or was stopped, or an unexpected error (too little memory) ended
it, 2 a usage error or a refused check (nothing in the work folder has
changed).
)";
}

} // namespace ornibe
