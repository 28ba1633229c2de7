#include "source/DriverMedium.h"

#include "inf/DriverPackage.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"

namespace ornibe {
namespace {

// A driver or INF file: plain, or else compressed beside it.
std::optional<MediumProblem> compressibleProblem(const std::string& path) {
    Result<std::string> compressed = compressedOnMedium(path);
    if (!compressed) {
        return MediumProblem{MediumProblem::Kind::Refused, compressed.failure()};
    }
    if (!plainOnMedium(path) && compressed->empty()) {
        return MediumProblem{MediumProblem::Kind::Missing, Failure{"open", path, {}}};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> plainOnMedium(const std::string& path) {
    return findFileNoCase(folderPart(path), fileName(path));
}

Result<std::string> compressedOnMedium(const std::string& path) {
    RootedPath beside =
        pathUnderRoot(folderPart(path), compressedName(fileName(path)), NameCase::Ignore);
    if (!beside) {
        return Failure{"open", path, beside.failure().reason};
    }
    return existsAsFile(*beside) ? *beside : std::string();
}

std::optional<MediumProblem> firstMediumProblem(const DriverPackage& package) {
    if (!package.refusedPaths().empty()) {
        return MediumProblem{MediumProblem::Kind::Refused, package.refusedPaths().front()};
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
            return MediumProblem{MediumProblem::Kind::Missing, Failure{"open", catalog, {}}};
        }
    }
    return std::nullopt;
}

} // namespace ornibe
