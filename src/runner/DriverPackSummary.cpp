#include "runner/DriverPackSummary.h"

namespace ornibe {
namespace {

const char* const kIndent = "\r\n      ";

} // namespace

std::vector<std::string> driverPackTableLines(const DriverPackTable& table) {
    std::vector<std::string> lines;
    if (table.againstTarget) {
        for (const DriverPackTable::Controller& row : table.controllers) {
            lines.push_back(row.controller + " → " +
                            (row.driver.empty() ? std::string("なし") : row.driver) + "（" +
                            row.why + "）");
        }
        if (table.controllers.empty()) {
            lines.emplace_back("対象のハードウェアにディスクコントローラがありません");
        }
    } else {
        for (const std::string& taken : table.taken) {
            lines.push_back("取り込む：" + taken);
        }
    }
    for (const DriverPackTable::LeftOut& left : table.leftOut) {
        lines.push_back("取り込まない：" + left.driver + "（" + left.why + "）");
    }
    if (table.otherSystems > 0) {
        lines.push_back("ほかのシステム用で読み飛ばしたドライバ：" +
                        std::to_string(table.otherSystems) + " 個");
    }
    return lines;
}

void appendDriverPackSummary(const DriverPackTable& table, ProgressLog& log) {
    if (table.empty()) {
        return;
    }
    log.append("\r\n\r\nドライバパック：" + std::string(kIndent) + table.source);
    for (const std::string& line : driverPackTableLines(table)) {
        log.append(kIndent + line);
    }
}

} // namespace ornibe
