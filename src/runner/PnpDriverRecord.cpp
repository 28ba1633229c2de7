#include "runner/PnpDriverRecord.h"

#include "source/PnpDriverPackage.h"
#include "sys/CaseFold.h"

namespace ornibe {
namespace {

// A key as pnpRecordText wrote it, its %0D, %0A and %25 turned back.
std::string unescaped(std::string_view text) {
    std::string key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view code = text.substr(i, 3);
        if (code == "%0D" || code == "%0A" || code == "%25") {
            key += code == "%0D" ? '\r' : code == "%0A" ? '\n' : '%';
            i += 2;
        } else {
            key += text[i];
        }
    }
    return key;
}

} // namespace

std::string pnpRecordKey(const std::string& inf, std::string_view image, std::string_view inImage) {
    return image.empty() ? inf : std::string(image) + "|" + std::string(inImage);
}

std::string PnpRecord::folderOf(const std::string& inf) const {
    for (const Entry& entry : entries) {
        if (entry.inf == inf) {
            return entry.folder;
        }
    }
    return {};
}

bool PnpRecord::holdsFolder(std::string_view folder) const {
    for (const Entry& entry : entries) {
        if (equalsSetupNoCase(entry.folder, folder)) {
            return true;
        }
    }
    return false;
}

std::string pnpRecordText(const PnpRecord& record) {
    std::string text = "; Folders under $OEM$\\$1\\Drivers that ornibe made, with their INF.\r\n"
                       "; A later build removes those it does not list; other folders stay.\r\n";
    for (const PnpRecord::Entry& entry : record.entries) {
        text += entry.folder + "=";
        for (char c : entry.inf) {
            text += c == '\r'   ? std::string("%0D")
                    : c == '\n' ? std::string("%0A")
                    : c == '%'  ? std::string("%25")
                                : std::string(1, c);
        }
        text += "\r\n";
    }
    return text;
}

PnpRecord readPnpRecord(std::string_view text) {
    PnpRecord record;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        std::size_t equals = line.find('=');
        if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
            continue;
        }
        std::string_view folder = line.substr(0, equals);
        // Only a folder name of the build's own form is ever taken for one
        // of its folders: no path, nothing that leaves Drivers.
        bool numbered = folder.size() == 3;
        for (char c : folder) {
            numbered = numbered && c >= '0' && c <= '9';
        }
        if (numbered && !record.holdsFolder(folder)) {
            record.entries.push_back({std::string(folder), unescaped(line.substr(equals + 1))});
        }
    }
    return record;
}

PnpRecord assignPnpFolders(const PnpRecord& earlier, const std::vector<std::string>& infs,
                           const std::function<bool(const std::string&)>& taken) {
    PnpRecord now;
    std::size_t next = 1;
    for (const std::string& inf : infs) {
        std::string folder = earlier.folderOf(inf);
        if (folder.empty() || now.holdsFolder(folder)) {
            while (earlier.holdsFolder(pnpFolderName(next)) ||
                   now.holdsFolder(pnpFolderName(next)) || taken(pnpFolderName(next))) {
                ++next;
            }
            folder = pnpFolderName(next);
        }
        now.entries.push_back({folder, inf});
    }
    return now;
}

} // namespace ornibe
