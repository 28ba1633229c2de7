#include "runner/BuildResults.h"
#include "sys/Translation.h"

namespace ornibe {

std::string finishedMessage(const BuildResults& results) {
    std::string line;
    if (results.problems != 0) {
        line +=
            translated("検証で問題が %1 件見つかりました。", {std::to_string(results.problems)});
    }
    if (results.controllersReported) {
        line +=
            translated("対象のハードウェアのディスク コントローラの照合結果をログに書きました。");
    }
    if (results.qemuOptions) {
        line += translated("QEMU の起動オプションをログに書きました。");
    }
    if (results.notes != 0) {
        line += translated("ログとは別に注意が %1 件あります。", {std::to_string(results.notes)});
    }
    return line.empty() ? translated("完成です！") : translated("完成です！") + "\n" + line;
}

} // namespace ornibe
