#include "runner/WorkRecord.h"

#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/ShortName.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ornibe {
namespace {

// Why a line's value cannot be one the build wrote; nothing when it can.
std::optional<std::string> problemOf(const WorkRecord& record, const BuildRecordLine& line) {
    if (line.key == kRecordHotfix && !isShortName(line.value)) {
        return "ビルドの記録の修正プログラム " + line.value + " は 8.3 形式の名前ではありません。";
    }
    if (line.key == kRecordMadeFolder && line.value != kBuildRecordFolder &&
        line.value != kMadeSvcpack) {
        return "ビルドの記録が知らないフォルダ " + line.value + " を作ったと言っています。";
    }
    if (line.key == kRecordDosnet && line.value != "svcpack") {
        return "ビルドの記録の DOSNET.INF の行 " + line.value +
               " はビルドが書くものではありません。";
    }
    if (line.key == kRecordOemFile) {
        std::string relative = line.value;
        if (relative.ends_with('/')) {
            relative.pop_back();
        }
        RootedPath path = pathUnderRoot(record.oemFolder, relative, NameCase::Ignore);
        if (!path || (relative.empty() && line.value != "/") ||
            isBuildRecord(std::string(kBuildRecordFolder) + "/" + relative)) {
            return "ビルドの記録が $OEM$ の外か記録そのもの（" + line.value + "）を指しています。" +
                   (path ? std::string() : path.failure().reason);
        }
    }
    return std::nullopt;
}

bool onlyMadeFolders(const std::vector<BuildRecordLine>& lines) {
    return std::all_of(lines.begin(), lines.end(),
                       [](const BuildRecordLine& line) { return line.key == kRecordMadeFolder; });
}

} // namespace

Result<WorkRecord> readWorkRecord(const std::string& workFolder) {
    WorkRecord record;
    record.oemFolder = entryPathNoCase(workFolder, kBuildRecordFolder);
    refuseLink("open", record.oemFolder);
    record.path = entryPathNoCase(record.oemFolder, kBuildRecordName);
    refuseLink("open", record.path);
    if (!existsAsFile(record.path)) {
        return record;
    }
    Result<std::vector<BuildRecordLine>> lines = readBuildRecordLines(readFile(record.path));
    if (!lines) {
        return Failure{"read", record.path, lines.failure().reason};
    }
    record.lines = std::move(*lines);
    for (const BuildRecordLine& line : record.lines) {
        if (std::optional<std::string> problem = problemOf(record, line)) {
            return Failure{"read", record.path, *problem};
        }
    }
    return record;
}

bool workRecordNames(const std::string& workFolder, std::string_view key) {
    const std::string path =
        entryPathNoCase(entryPathNoCase(workFolder, kBuildRecordFolder), kBuildRecordName);
    if (!existsAsFile(path)) {
        return false;
    }
    try {
        Result<std::vector<BuildRecordLine>> lines = readBuildRecordLines(readFile(path));
        return !lines || !recordValues(*lines, key).empty();
    } catch (const FileError&) {
        return true;
    }
}

void makeOemFolder(WorkRecord& record) {
    if (existsAsFolder(record.oemFolder)) {
        return;
    }
    makeFolders(record.oemFolder);
    noteMadeFolder(record, kBuildRecordFolder);
}

void noteMadeFolder(WorkRecord& record, std::string_view name) {
    if (!madeFolder(record, name)) {
        record.lines.push_back({std::string(kRecordMadeFolder), std::string(name)});
    }
}

bool madeFolder(const WorkRecord& record, std::string_view name) {
    return std::find(record.lines.begin(), record.lines.end(),
                     BuildRecordLine{std::string(kRecordMadeFolder), std::string(name)}) !=
           record.lines.end();
}

void writeWorkRecord(const WorkRecord& record) {
    refuseLink("open", record.path);
    if (onlyMadeFolders(record.lines)) {
        if (existsAsFile(record.path)) {
            removeFile(record.path);
        }
        if (madeFolder(record, kBuildRecordFolder) && existsAsFolder(record.oemFolder) &&
            ::rmdir(record.oemFolder.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST) {
            throw FileError("remove", record.oemFolder, systemReason(errno));
        }
        return;
    }
    const std::string text = buildRecordText(record.lines);
    if (!existsAsFile(record.path) || readFile(record.path) != text) {
        makeFolders(record.oemFolder);
        writeFileAtomic(record.path, text);
    }
}

} // namespace ornibe
