#include "wizard/AnswerFileSettingsCheck.h"

#include "answer/AnswerFieldsCheck.h"
#include "answer/AnswerFileCheck.h"
#include "sys/Translation.h"

namespace ornibe {

bool checkAnswerFileSettings(const AnswerFileFields& fields, WindowsVersion version,
                             InputSnapshots& inputs, MessageBox& messages) {
    AnswerCheck check;
    switch (fields.mode) {
    case AnswerFileFields::Mode::None:
        return true;
    case AnswerFileFields::Mode::Write:
        check = checkAnswerFields(fields, version);
        break;
    case AnswerFileFields::Mode::UserFile:
        if (fields.userFile.empty()) {
            check.outcome =
                Failure::refusal(translated("無人インストールの応答ファイルが選ばれていません。"),
                                 {}, translated("使う応答ファイル（WINNT.SIF）を選んでください。"));
        } else {
            check = readUserAnswerFile(fields.userFile, version, inputs).check;
        }
        break;
    }
    if (!check.outcome) {
        const Failure& failure = check.outcome.failure();
        messages.show(failure.headline + "\n" + failure.reason,
                      {MessageButtons::Ok, MessageIcon::None, false});
        return false;
    }
    for (const std::string& warning : check.warnings) {
        messages.show(warning, {MessageButtons::Ok, MessageIcon::Information, false});
    }
    return true;
}

} // namespace ornibe
