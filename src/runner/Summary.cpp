#include "runner/Summary.h"

#include "inf/InfLimits.h"
#include "inf/InfReader.h"
#include "runner/DriverPackSummary.h"
#include "runner/F6Summary.h"
#include "runner/TargetHardwareSummary.h"
#include "runner/VirtioWinReport.h"
#include "runner/steps/AnswerFileStep.h"
#include "runner/steps/HotfixStep.h"
#include "runner/steps/PnpDriverStep.h"
#include "source/F6Source.h"
#include "source/SetupTree.h"
#include "source/TargetDetection.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <optional>

namespace ornibe {
namespace {

const char* const kIndent = "\r\n      ";

std::string orNone(const std::string& value, const std::string& none) {
    return value.empty() ? none : value;
}

// The TXTSETUP.SIF of an image file or a disc read through its device,
// parsed from the image in memory. One that cannot be read is refused
// with why (one too large to read as a setup file before it is read); a
// reading that stop ended gives an empty reader.
InfReader readImageSetupFile(const Medium& reader) {
    if (reader.stopped()) {
        return InfReader();
    }
    const Architecture architecture =
        reader.hasFile(setupFileOf(Architecture::Amd64)) ? Architecture::Amd64 : Architecture::X86;
    const std::string setupFile = setupFileOf(architecture);
    const std::string path = joinPath(reader.path(), setupFile);
    if (std::optional<std::uint64_t> size = reader.fileSize(setupFile);
        size && *size > kInfMaxFileBytes) {
        return InfReader::refused(path, infFileTooLarge(*size));
    }
    Result<std::string> bytes = reader.readFile(setupFile, kInfMaxFileBytes);
    if (!bytes) {
        return InfReader::refused(
            path, InfProblem{InfProblem::Kind::Unreadable, 0, bytes.failure().reason});
    }
    InfReader reading = InfReader::fromBytes(path, std::move(*bytes));
    reading.setArchitecture(architecture);
    return reading;
}

} // namespace

InfReader openSourceSetupFile(const Medium& source) {
    if (source.isImage()) {
        return readImageSetupFile(source);
    }
    const Architecture architecture = sourceArchitecture(source);
    const std::string setupFile = setupFileOf(architecture);
    InfReader reader(source.hostPath(setupFile).value_or(joinPath(source.path(), setupFile)));
    reader.setArchitecture(architecture);
    return reader;
}

std::string summarySourceFolder(const BuildSettings& settings) {
    if (settings.GetCdDriveIndex() != 0) {
        return settings.getCdDriveRoot();
    }
    return settings.GetWorkFolder();
}

std::shared_ptr<const Medium> summarySource(const BuildSettings& settings, const ConfirmData& data,
                                            const StopCheck& stop) {
    const std::string folder = summarySourceFolder(settings);
    if (data.source && data.source->path() == folder) {
        return data.source;
    }
    return Medium::open(folder, stop);
}

void writeSummary(const BuildSettings& settings, ConfirmData& data, ProgressLog& log,
                  const ToolSearch& tools, const StopCheck& stop) {
    log.append(translated("ターゲット：\r\n      "));

    // The tree's setup files name the CD in SourceDisksNames line 1.
    const std::shared_ptr<const Medium> source = summarySource(settings, data, stop);
    InfReader reader = openSourceSetupFile(*source);
    std::string cdName = reader.GetValue("SourceDisksNames", "", "1", 1);
    if (!reader.file().isOpen() && !reader.problem().reason.empty() && source->isImage()) {
        // The checks before refuse an image's setup file only when it is
        // too large to read; why one that cannot be read names no CD is
        // said in the target's place.
        log.append(translated("%1 を読めないので、わかりません。", {reader.path()}) + kIndent +
                   reader.problem().text());
    } else {
        log.append(cp932ToUtf8(cdName));
    }
    WindowsTarget found = detectTarget(cdName, reader.architecture());
    if (found.version == WindowsVersion::Unknown) {
        // A name that tells no version keeps what an earlier opening found.
        found.version = data.target.version;
        found.buildNumber =
            found.architecture == Architecture::X86 || data.target.buildNumber.empty()
                ? data.target.buildNumber
                : kAmd64BuildNumber;
    }
    data.target = std::move(found);

    log.append(translated("\r\n\r\nCD ドライブ：") + std::string(kIndent) +
               settings.GetCdDriveEntry());
    log.append(translated("\r\n\r\nISO イメージのボリュームラベル：\r\n      "));
    log.append(orNone(settings.GetVolumeLabel(), translated("なし")));
    log.append(translated("\r\n\r\nService Pack ファイル：\r\n      "));
    log.append(orNone(settings.GetServicePackPath(), translated("なし")));

    log.append(translated("\r\n\r\n追加するドライバ："));
    if (settings.GetDriverInf(0).empty()) {
        log.append(translated("\r\n      なし"));
    } else {
        data.package.Clear();
        readDriverSources(settings, data.target, tools, data.package);
        for (const auto& [description, service] : data.package.descriptionToService()) {
            log.append(kIndent + cp932ToUtf8(description));
        }
        appendDriverEntrySummary(settings, data.target.architecture, tools, log);
    }

    appendPnpDriverSummary(settings, data.target, log);
    appendVirtioWinSummary(settings, log);
    appendDriverPackSummary(settings.getDriverPack(), log);
    appendSetupAdditionsSummary(settings, data.target.architecture, *source, log);
    log.append(translated("\r\n\r\n137GB 以上のハードディスク：\r\n      "));
    log.append(settings.GetBigDrive() != 0 ? translated("使用する") : translated("使用しない"));
    log.append(translated("\r\n\r\n作業フォルダ：") + std::string(kIndent) +
               settings.GetWorkFolder());
    log.append(translated("\r\n\r\nISO イメージ：\r\n      "));
    log.append(orNone(settings.GetIsoPath(), translated("作成しない")));
    // Only a build that writes a stick image says so: the summary of any
    // other stays as it was.
    if (!settings.getUsbImagePath().empty()) {
        log.append(translated("\r\n\r\nUSB メモリ用イメージ：\r\n      ") +
                   settings.getUsbImagePath());
    }
    if (!settings.getUsbDevice().empty()) {
        log.append(translated("\r\n\r\n書き込む USB メモリ（すべて消去）：\r\n      ") +
                   settings.getUsbDevice());
    }
    appendAnswerFileSummary(settings, data.target, log);
    appendTargetHardwareSummary(settings, reader.file(),
                                settings.GetDriverInf(0).empty() ? DriverPackage() : data.package,
                                log);
    log.append("\r\n\r\n");
    reader.Close();
}

} // namespace ornibe
