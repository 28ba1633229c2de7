#include "runner/DriverMedium.h"

#include "inf/DriverPackage.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"

namespace ornibe {
namespace {

// A driver or INF file: plain, or else compressed beside it.
std::optional<MediumProblem> compressibleProblem(const std::string& path) {
    CompressedOnMedium compressed = compressedOnMedium(path);
    if (!compressed.refusal.empty()) {
        return MediumProblem{MediumProblem::Kind::Refused, path, compressed.refusal};
    }
    if (!plainOnMedium(path) && compressed.path.empty()) {
        return MediumProblem{MediumProblem::Kind::Missing, path, {}};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> plainOnMedium(const std::string& path) {
    return findFileNoCase(folderPart(path), fileName(path));
}

CompressedOnMedium compressedOnMedium(const std::string& path) {
    RootedPath beside =
        pathUnderRoot(folderPart(path), compressedName(fileName(path)), NameCase::Ignore);
    if (!beside) {
        return {{}, beside.refusal};
    }
    return {existsAsFile(beside.path) ? beside.path : std::string(), {}};
}

std::optional<MediumProblem> firstMediumProblem(const DriverPackage& package) {
    if (!package.refusedPaths().empty()) {
        const auto& [inf, refusal] = package.refusedPaths().front();
        return MediumProblem{MediumProblem::Kind::Refused, inf, refusal};
    }
    for (const auto& entry : package.fileToTargetDir()) {
        if (std::optional<MediumProblem> problem = compressibleProblem(entry.first)) {
            return problem;
        }
    }
    for (const std::string& inf : package.infFiles()) {
        if (std::optional<MediumProblem> problem = compressibleProblem(inf)) {
            return problem;
        }
    }
    for (const std::string& catalog : package.allCatalogFiles()) {
        if (!plainOnMedium(catalog)) {
            return MediumProblem{MediumProblem::Kind::Missing, catalog, {}};
        }
    }
    return std::nullopt;
}

} // namespace ornibe
