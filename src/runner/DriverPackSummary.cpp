#include "runner/DriverPackSummary.h"

#include "check/DriverPackSelection.h"
#include "sys/Translation.h"

namespace ornibe {

void appendDriverPackSummary(const DriverPackTable& table, ProgressLog& log) {
    if (table.empty()) {
        return;
    }
    const char* const indent = "\r\n      ";
    log.append("\r\n\r\n" + translated("ドライバパック：") + indent + table.source);
    for (const std::string& line : driverPackTableLines(table)) {
        log.append(indent + line);
    }
}

} // namespace ornibe
