#include "inf/InfDirids.h"

#include "inf/InfFile.h"

#include <charconv>

namespace ornibe {

std::optional<std::string> diridFolder(long dirid) {
    const std::string windows(InfFile::windowsFolder);
    const std::string allUsers = "C:\\Documents and Settings\\All Users";
    switch (dirid) {
    case 10: // Windows folder
    case 25: // shared folder
        return windows;
    case 11: // system32
        return windows + "\\system32";
    case 12: // drivers
        return windows + "\\system32\\drivers";
    case 17: // INF
        return windows + "\\inf";
    case 18: // Help
        return windows + "\\help";
    case 20: // Fonts
        return windows + "\\Fonts";
    case 21: // viewers
        return windows + "\\system32\\viewers";
    case 23: // ICM colour profiles
        return windows + "\\system32\\spool\\drivers\\color";
    case 24: // root of the system drive
    case 30: // root of the boot drive
    case 54: // folder of the boot loader
        return std::string("C:\\");
    case 50: // 16-bit system folder
        return windows + "\\system";
    case 51: // spool
        return windows + "\\system32\\spool";
    case 52: // spool drivers
        return windows + "\\system32\\spool\\drivers";
    case 55: // print processors
        return windows + "\\system32\\spool\\prtprocs";
    case 16406: // shell folders of all users
        return allUsers + "\\Start Menu";
    case 16407:
        return allUsers + "\\Start Menu\\Programs";
    case 16408:
        return allUsers + "\\Start Menu\\Programs\\Startup";
    case 16409:
        return allUsers + "\\Desktop";
    case 16415:
        return allUsers + "\\Favorites";
    case 16419:
        return allUsers + "\\Application Data";
    case 16422: // Program Files
        return std::string("C:\\Program Files");
    case 16427: // Common Files
        return std::string("C:\\Program Files\\Common Files");
    case 16429:
        return allUsers + "\\Templates";
    case 16430:
        return allUsers + "\\Documents";
    default:
        return std::nullopt;
    }
}

bool isAbsoluteDirid(long dirid) {
    return dirid == -1 || dirid == 65535;
}

std::optional<long> parseDirid(std::string_view text) {
    long value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::string> diridTokenText(std::string_view name) {
    std::string_view digits = name;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.remove_prefix(1);
    if (digits.empty())
        return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    // SETUPAPI expands a number it does not know as a DIRID, a number too
    // long for any DIRID included, to the system folder's "unknown".
    const std::string unknown = std::string(InfFile::windowsFolder) + "\\system32\\unknown";
    if (digits.size() > 9)
        return unknown;
    long dirid = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), dirid);
    if (negative)
        dirid = -dirid;
    if (dirid == 1)
        return std::nullopt;
    if (dirid == 0 || isAbsoluteDirid(dirid))
        return std::string();
    return diridFolder(dirid).value_or(unknown);
}

// The folder that Windows setup copies the files of a section to.
std::optional<std::string>
InfFile::destinationFolder(std::optional<std::string_view> section) const {
    if (!data_)
        return std::nullopt;
    std::optional<InfPosition> entry;
    if (section)
        entry = findFirstLine("DestinationDirs", *section);
    if (!entry)
        entry = findFirstLine("DestinationDirs", "DefaultDestDir");
    // Without an entry Windows setup copies to DIRID 11, the system folder.
    long dirid = 11;
    std::string subdir;
    if (entry) {
        auto id = parseDirid(stringField(*entry, 1).value_or(""));
        if (!id)
            return std::nullopt;
        dirid = *id;
        subdir = stringField(*entry, 2).value_or("");
    }
    if (isAbsoluteDirid(dirid)) // an absolute path in place of the subfolder
        return subdir.empty() ? std::nullopt : std::optional<std::string>(subdir);
    auto folder = diridFolder(dirid);
    if (!folder)
        return std::nullopt;
    // The folder never ends in a backslash: a drive root is "C:".
    if (folder->back() == '\\')
        folder->pop_back();
    std::size_t skip = 0;
    while (skip < subdir.size() && subdir[skip] == '\\')
        ++skip;
    if (skip < subdir.size()) {
        *folder += '\\';
        folder->append(subdir, skip);
    }
    return folder;
}

} // namespace ornibe
