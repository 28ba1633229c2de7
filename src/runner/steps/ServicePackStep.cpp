// The Service Pack step: the installer the user chose, run on the work
// folder (through Wine when it is a Windows program).

#include "runner/steps/BuildSteps.h"

#include "runner/WineOutputFilter.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/FileIo.h"
#include "sys/HostEnvironment.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/WindowsProgram.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

namespace ornibe {
namespace {

// Windows programs run through Wine see the host's root as drive Z:.
std::string wineName(std::string_view hostPath) {
    std::string name = "Z:";
    for (char c : hostPath) {
        name += c == '/' ? '\\' : c;
    }
    return name;
}

// Wine keeps its prefix in WINEPREFIX, or in ~/.wine by default; making it
// takes 10 to 15 seconds the first time.
std::string winePrefix(const HostEnvironment& environment) {
    if (std::optional<std::string> prefix = environment.nonEmpty("WINEPREFIX")) {
        return *prefix;
    }
    return environment.value("HOME").value_or("") + "/.wine";
}

// Every file under a folder with its size and time of last change, links
// not followed: what tells whether a step changed anything there.
using FolderStamp = std::map<std::string, std::pair<std::uintmax_t, std::int64_t>>;

FolderStamp folderStamp(const std::string& folder) {
    namespace fs = std::filesystem;
    FolderStamp stamp;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code statError;
        fs::file_status status = it->symlink_status(statError);
        if (statError || !fs::is_regular_file(status)) {
            continue;
        }
        std::uintmax_t size = it->file_size(statError);
        auto time = it->last_write_time(statError);
        stamp[it->path().string()] = {statError ? 0 : size,
                                      statError ? 0 : time.time_since_epoch().count()};
    }
    return stamp;
}

} // namespace

StepCommand servicePackCommand(const BuildSettings& settings, const ToolSearch& tools) {
    const std::string& installer = settings.GetServicePackPath();
    std::string target = settings.GetWorkFolder();
    std::string prefix;
    // A Windows installer runs through Wine when it cannot run by itself.
    if (startsWithMz(installer) && !tools.findProgram("wine").empty()) {
        prefix = "wine ";
        target = wineName(target);
    }
    return {prefix + shownQuoted(installer) + " -s:" + shownQuoted(target),
            prefix + quoteArgument(installer) + " -s:" + quoteArgument(target)};
}

bool servicePackStep(BuildContext& context) {
    context.log().append(translated("Service Pack を適用しています。。。\r\n"));
    StepCommand command = servicePackCommand(context.settings, context.tools);
    context.log().append(command.shown + "\r\n");
    const bool throughWine = command.run.starts_with("wine ");
    if (throughWine && !existsAsFolder(winePrefix(context.tools.environment()))) {
        context.log().append(
            translated("Wine の初期設定をしています（初回は 10～15 秒かかります）。。。\r\n"));
    }

    const std::string failed = translated("\r\nService Pack 適用に失敗しました\r\n");
    const std::string i386 = context.i386Folder();
    // The installer writes into the work folder's own setup folder, never
    // where a link of that name leads.
    try {
        refuseLink("open", i386);
    } catch (const FileError& error) {
        context.reportFailure(failed + Failure::fromFileError(error).line());
        return false;
    }
    const FolderStamp before = folderStamp(i386);
    ChildProcessRunner runner(context.tools, command.run);
    runner.setStopCheck([&context] { return context.page.stopRequested(); });
    WineOutputFilter filter;
    runner.run(
        [&](std::string_view text) {
            context.log().append(throughWine ? filter.feed(text) : std::string(text));
        },
        [&context] { context.page.processEvents(); });
    context.log().append(filter.finish());

    if (Outcome ran = runner.outcome(); !ran) {
        Failure failure = ran.failure();
        // A run that started names the installer the user chose, not the
        // Wine that ran it; a start failure names the program itself.
        if (!failure.path.empty()) {
            failure.path = context.settings.GetServicePackPath();
        }
        context.reportFailure(failed + failure.line());
        return false;
    }
    // A 32-bit installer under a Wine without its 32-bit part crashes and
    // still ends with exit code 0; a Service Pack always changes I386.
    if (folderStamp(i386) == before) {
        context.reportFailure(failed +
                              Failure{"run", i386,
                                      translated("インストーラは終了コード 0 で終わりましたが、"
                                                 "この中のファイルは何も変わっていません。")}
                                  .line());
        return false;
    }
    context.log().append(translated("完了\r\n\r\n"));
    return true;
}

} // namespace ornibe
