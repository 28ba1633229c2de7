#include "wizard/TreeSetupCheck.h"

#include "inf/InfReader.h"
#include "runner/ConfirmData.h"
#include "runner/Summary.h"
#include "source/TargetDetection.h"

namespace ornibe {

Outcome readTreeVersion(const std::string& root, char& versionCode, const StopCheck& stop) {
    Architecture architecture = Architecture::X86;
    return readTreeVersion(root, versionCode, architecture, stop);
}

Outcome readTreeVersion(const std::string& root, char& versionCode, Architecture& architecture,
                        const StopCheck& stop) {
    InfReader reader = openSourceSetupFile(root, stop);
    architecture = reader.architecture();
    versionCode = ConfirmData::kVersionUnset;
    if (reader.problem().kind == InfProblem::Kind::Limit) {
        return Failure::refusal(reader.path() + " はセットアップ情報ファイルとして読めません。",
                                reader.path(), reader.problem().reason);
    }
    if (auto found = detectTarget(reader.GetValue("SourceDisksNames", "", "1", 1))) {
        versionCode = found->versionCode;
    }
    return {};
}

} // namespace ornibe
