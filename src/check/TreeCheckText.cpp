#include "check/TreeCheckText.h"

#include "check/DriverPackSelection.h"
#include "sys/Translation.h"

#include <cstdio>

namespace ornibe {
namespace {

std::size_t countOf(const TreeCheckReport& report, TreeFinding::Kind kind) {
    std::size_t count = 0;
    for (const TreeFinding& finding : report.findings) {
        count += finding.kind == kind ? 1 : 0;
    }
    return count;
}

// The length of the well-formed UTF-8 character at the start of text
// (RFC 3629: no overlong form, no surrogate, nothing above U+10FFFF); 0
// when there is none.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string treeCheckLogText(const TreeCheckReport& report) {
    std::string text;
    for (const ControllerFinding& found : report.controllers) {
        text += controllerLine(found) + "\r\n";
    }
    for (const TreeFinding& finding : report.findings) {
        if (finding.kind == TreeFinding::Kind::Problem && !finding.cdOwn) {
            text += translated("問題：%1", {finding.text}) + "\r\n";
        }
    }
    // With a target machine the section is always there: it says what
    // drives the disk.
    return text.empty() && !report.matched ? text : "\r\n" + translated("検証") + "\r\n" + text;
}

std::string treeCheckTable(const TreeCheckReport& report, const std::string& workFolder) {
    std::string text =
        translated("検証：%1\nエディション：%2", {workFolder, report.edition}) + "\n";
    for (const ControllerFinding& found : report.controllers) {
        text += translated("  機器  %1", {controllerLine(found)}) + "\n";
    }
    for (const TreeFinding& finding : report.findings) {
        text += (finding.kind == TreeFinding::Kind::Problem
                     ? translated("  問題  %1", {finding.text})
                     : translated("  注意  %1", {finding.text})) +
                "\n";
    }
    if (!report.driverPack.empty()) {
        text += translated("ドライバパック：%1", {report.driverPack.source}) + "\n";
        for (const std::string& line : driverPackTableLines(report.driverPack)) {
            text += translated("  パック  %1", {line}) + "\n";
        }
    }
    const std::size_t problems = countOf(report, TreeFinding::Kind::Problem);
    const std::size_t notes = countOf(report, TreeFinding::Kind::Note);
    if (report.findings.empty() && report.controllers.empty()) {
        text += translated("  問題は見つかりませんでした。") + "\n";
    } else {
        text += translated("問題 %1 件、注意 %2 件",
                           {std::to_string(problems), std::to_string(notes)}) +
                "\n";
    }
    return text;
}

std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
            ++i;
        } else if (std::size_t length = utf8SequenceLength(text.substr(i)); length != 0) {
            quoted += text.substr(i, length);
            i += length;
        } else {
            // A byte that starts no UTF-8 character (a listing or a path
            // in another encoding) stands as U+FFFD, so that the whole
            // stays JSON.
            quoted += "\\ufffd";
            ++i;
        }
    }
    return quoted + "\"";
}

std::string treeCheckJson(const TreeCheckReport& report, const std::string& workFolder) {
    std::string text =
        "{\"work\": " + jsonString(workFolder) + ", \"edition\": " + jsonString(report.edition) +
        ", \"ok\": " + (report.hasProblem() ? "false" : "true") +
        ", \"problems\": " + std::to_string(countOf(report, TreeFinding::Kind::Problem)) +
        ", \"notes\": " + std::to_string(countOf(report, TreeFinding::Kind::Note)) +
        ", \"findings\": [";
    bool first = true;
    for (const TreeFinding& finding : report.findings) {
        text += first ? "" : ", ";
        first = false;
        text += "{\"kind\": ";
        text += finding.kind == TreeFinding::Kind::Problem ? "\"problem\"" : "\"note\"";
        text += ", \"text\": " + jsonString(finding.text) +
                ", \"unreadable\": " + (finding.unreadable ? "true" : "false") + "}";
    }
    text += "], \"controllers\": [";
    first = true;
    for (const ControllerFinding& found : report.controllers) {
        const ControllerMatch& match = found.match;
        text += first ? "" : ", ";
        first = false;
        text += "{\"slot\": " + jsonString(match.device.slot) +
                ", \"name\": " + jsonString(match.device.name) + ", \"ids\": [";
        for (std::size_t i = 0; i < match.ids.size(); ++i) {
            text += (i == 0 ? "" : ", ") + jsonString(match.ids[i]);
        }
        text += "], \"service\": " + jsonString(match.service) +
                ", \"origin\": " + jsonString(found.origin) +
                ", \"matchedId\": " + jsonString(match.matchedId) +
                ", \"onlyCompatible\": " + (match.onlyCompatible ? "true" : "false") + "}";
    }
    if (!report.driverPack.empty()) {
        return text + "], \"driverPack\": " + driverPackJson(report.driverPack) + "}\n";
    }
    return text + "]}\n";
}

} // namespace ornibe
