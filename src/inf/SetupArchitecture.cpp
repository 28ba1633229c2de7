#include "inf/SetupArchitecture.h"

#include "inf/InfReader.h"
#include "sys/Translation.h"

namespace ornibe {

std::string_view setupFolderName(Architecture architecture) {
    return architecture == Architecture::Amd64 ? "AMD64" : "I386";
}

std::string_view architectureLabel(Architecture architecture) {
    return architecture == Architecture::Amd64 ? "AMD64" : "x86";
}

const std::vector<std::string>& infDecorations(Architecture architecture) {
    static const std::vector<std::string> x86{".NTX86", ".NT", ".X86", ""};
    static const std::vector<std::string> amd64{".NTAMD64", ".NT", ".AMD64", ""};
    return architecture == Architecture::Amd64 ? amd64 : x86;
}

std::string_view modelsDecoration(Architecture architecture) {
    return architecture == Architecture::Amd64 ? "NTamd64" : "NTx86";
}

std::pair<unsigned, unsigned> ntVersion(const WindowsTarget& target) {
    if (target.architecture == Architecture::Amd64 ||
        target.version == WindowsVersion::Server2003) {
        return {5u, 2u};
    }
    return target.version == WindowsVersion::Windows2000 ? std::pair{5u, 0u} : std::pair{5u, 1u};
}

std::string_view txtsetupFilesSection(Architecture architecture) {
    return architecture == Architecture::Amd64 ? "SourceDisksFiles.amd64" : "SourceDisksFiles.x86";
}

bool infHasModelsFor(const InfReader& reader, const WindowsTarget& target) {
    for (std::size_t i = 0;; ++i) {
        std::optional<InfPosition> line = reader.file().lineByIndex("Manufacturer", i);
        if (!line) {
            return false;
        }
        std::string models = reader.modelsSectionOf(*line, target);
        if (!models.empty() && reader.file().lineCount(models) != -1) {
            return true;
        }
    }
}

Outcome judgeInfArchitecture(const InfReader& reader, const WindowsTarget& target) {
    WindowsTarget other = target;
    other.architecture =
        target.architecture == Architecture::Amd64 ? Architecture::X86 : Architecture::Amd64;
    if (infHasModelsFor(reader, target) || !infHasModelsFor(reader, other)) {
        return {};
    }
    const std::string& path = reader.path();
    if (target.architecture == Architecture::Amd64) {
        return Failure::refusal(
            translated("%1 は x64（AMD64）のツリーには組み込めません。", {path}), path,
            translated("x86 用のモデルだけで、NTamd64 のモデルがありません。"));
    }
    return Failure::refusal(
        translated("%1 は x86（I386）のツリーには組み込めません。", {path}), path,
        translated("x64（NTamd64）用のモデルだけで、x86 用のモデルがありません。"));
}

} // namespace ornibe
