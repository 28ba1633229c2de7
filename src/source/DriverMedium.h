#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"

#include <optional>
#include <string>

namespace ornibe {

class DriverPackage;

// Where driver staging takes each file of a package from on the driver
// medium. The check on "次へ >" asks the same questions through the same
// functions, so that a package that passes there is one staging can place.
//
// The paths of a package were joined under their INF's folder when the INF
// was read, and a path that left the folder or passed a link was refused
// then (DriverPackage::refusedPaths). What is looked up here besides is the
// compressed form beside a file, which the INF does not name.

// The file at path in any letter case, when it is a file (or a link to
// one, as the path was checked when the INF was read); nothing otherwise.
std::optional<std::string> plainOnMedium(const std::string& path);

// The compressed form beside the file at path (x.sy_ for x.sys) in any
// letter case: the existing compressed file, or the empty text when there
// is none. An entry of that name that is a link is refused by the rule
// that keeps every path of an INF inside its folder (pathUnderRoot): the
// failure names the file at path and why.
Result<std::string> compressedOnMedium(const std::string& path);

// The first file of the package that staging could not place from the
// medium, in staging's order: a path the INF names outside its folder, a
// driver or INF file that is there neither plain nor compressed, a catalog
// file that is not there, or a compressed form beside a file that is a
// link (staging takes it when compressing the file fails).
struct MediumProblem {
    enum class Kind { Missing, Refused };
    Kind kind = Kind::Missing;
    // The file as the package names it (for a path refused when the INF
    // was read, the INF) and, for a refused path, why it cannot be used,
    // in the words of pathUnderRoot.
    Failure failure;
};
std::optional<MediumProblem> firstMediumProblem(const DriverPackage& package);

} // namespace ornibe
