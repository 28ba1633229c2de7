#include "runner/BuildResults.h"

namespace ornibe {

std::string finishedMessage(const BuildResults& results) {
    std::string line;
    if (results.problems != 0) {
        line += "検証で問題が " + std::to_string(results.problems) + " 件見つかりました。";
    }
    if (results.controllersReported) {
        line += "対象のハードウェアのディスク コントローラの照合結果をログに書きました。";
    }
    if (results.qemuOptions) {
        line += "QEMU の起動オプションをログに書きました。";
    }
    if (results.notes != 0) {
        line += "ログとは別に注意が " + std::to_string(results.notes) + " 件あります。";
    }
    return line.empty() ? "完成です！" : "完成です！\n" + line;
}

} // namespace ornibe
