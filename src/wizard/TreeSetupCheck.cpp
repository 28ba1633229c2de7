#include "wizard/TreeSetupCheck.h"

#include "inf/InfReader.h"
#include "runner/Summary.h"
#include "source/TargetDetection.h"
#include "sys/Translation.h"

namespace ornibe {

TreeTarget readTreeTarget(const Medium& tree) {
    InfReader reader = openSourceSetupFile(tree);
    TreeTarget found{{WindowsVersion::Unknown, reader.architecture(), {}}, {}};
    if (reader.problem().kind == InfProblem::Kind::Limit) {
        found.outcome = Failure::refusal(
            translated("%1 はセットアップ情報ファイルとして読めません。", {reader.path()}),
            reader.path(), reader.problem().reason);
        return found;
    }
    found.target =
        detectTarget(reader.GetValue("SourceDisksNames", "", "1", 1), reader.architecture());
    return found;
}

} // namespace ornibe
