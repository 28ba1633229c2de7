#include "runner/TreeCheckText.h"

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

} // namespace

std::string treeCheckLogText(const TreeCheckReport& report) {
    std::string text;
    for (const ControllerFinding& found : report.controllers) {
        text += controllerLine(found) + "\r\n";
    }
    for (const TreeFinding& finding : report.findings) {
        if (finding.kind == TreeFinding::Kind::Problem && !finding.cdOwn) {
            text += "問題：" + finding.text + "\r\n";
        }
    }
    // With a target machine the section is always there: it says what
    // drives the disk.
    return text.empty() && !report.matched ? text : "\r\n検証\r\n" + text;
}

std::string treeCheckTable(const TreeCheckReport& report, const std::string& workFolder) {
    std::string text = "検証：" + workFolder + "\nエディション：" + report.edition + "\n";
    for (const ControllerFinding& found : report.controllers) {
        text += "  機器  " + controllerLine(found) + "\n";
    }
    for (const TreeFinding& finding : report.findings) {
        text += finding.kind == TreeFinding::Kind::Problem ? "  問題  " : "  注意  ";
        text += finding.text + "\n";
    }
    const std::size_t problems = countOf(report, TreeFinding::Kind::Problem);
    const std::size_t notes = countOf(report, TreeFinding::Kind::Note);
    if (report.findings.empty() && report.controllers.empty()) {
        text += "  問題は見つかりませんでした。\n";
    } else {
        text += "問題 " + std::to_string(problems) + " 件、注意 " + std::to_string(notes) + " 件\n";
    }
    return text;
}

std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
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
    return text + "]}\n";
}

} // namespace ornibe
