#include "wizard/TreeSetupCheck.h"

#include "inf/InfReader.h"
#include "runner/ConfirmData.h"
#include "runner/Summary.h"
#include "source/TargetDetection.h"

namespace ornibe {

Outcome readTreeVersion(const Medium& tree, char& versionCode, Architecture& architecture) {
    InfReader reader = openSourceSetupFile(tree);
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
