#include "media/FatNames.h"

#include <algorithm>
#include <ctime>

namespace ornibe {
namespace {

// The characters a short name may hold besides capitals and digits.
constexpr std::string_view kShortNameMarks = "!#$%&'()-@^_`{}~";
// The characters no FAT name may hold.
constexpr std::string_view kForbidden = "\"*/:<>?\\|";

bool shortNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kShortNameMarks.find(c) != std::string_view::npos;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The UTF-16 units of a UTF-8 name; nothing when it is not UTF-8.
std::optional<std::vector<std::uint16_t>> utf16Of(std::string_view text) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::uint32_t code = 0;
        std::size_t length = 0;
        if (byte < 0x80) {
            code = byte;
            length = 1;
        } else if ((byte & 0xE0) == 0xC0) {
            code = byte & 0x1F;
            length = 2;
        } else if ((byte & 0xF0) == 0xE0) {
            code = byte & 0x0F;
            length = 3;
        } else if ((byte & 0xF8) == 0xF0) {
            code = byte & 0x07;
            length = 4;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = (code << 6) | (next & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return units;
}

ShortName blankName() {
    ShortName name;
    name.fill(' ');
    return name;
}

// The name as an 8.3 name in capitals, when it is one.
std::optional<ShortName> exactShortName(std::string_view name) {
    std::size_t dot = name.find('.');
    std::string_view base = name.substr(0, dot);
    std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 ||
        (dot != std::string_view::npos && extension.empty())) {
        return std::nullopt;
    }
    for (char c : std::string(base) + std::string(extension)) {
        if (!shortNameCharacter(c)) {
            return std::nullopt;
        }
    }
    ShortName result = blankName();
    base.copy(result.data(), base.size());
    extension.copy(result.data() + 8, extension.size());
    return result;
}

// Characters for a made-up short name: capitals as they are, any other
// character a short name cannot hold as "_", spaces and dots left out.
std::string shortNamePart(std::string_view text, std::size_t most) {
    std::string part;
    for (std::size_t i = 0; i < text.size() && part.size() < most; ++i) {
        char c = upper(text[i]);
        if (c == ' ' || c == '.') {
            continue;
        }
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) {
            continue; // the rest of a character already replaced
        }
        part += shortNameCharacter(c) ? c : '_';
    }
    return part;
}

} // namespace

std::string fatFoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = upper(c);
    }
    return folded;
}

std::uint8_t shortNameChecksum(const ShortName& name) {
    std::uint8_t sum = 0;
    for (char c : name) {
        sum =
            static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<std::uint8_t>(c));
    }
    return sum;
}

std::optional<FatName> fatNameFor(std::string_view name, ShortNamesTaken& taken) {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') {
        return std::nullopt;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || kForbidden.find(c) != std::string_view::npos) {
            return std::nullopt;
        }
    }
    std::optional<std::vector<std::uint16_t>> units = utf16Of(name);
    if (!units || units->size() > 255) {
        return std::nullopt;
    }
    FatName result;
    if (std::optional<ShortName> exact = exactShortName(name); exact && !taken.contains(*exact)) {
        result.shortName = *exact;
        taken.insert(*exact);
        return result;
    }
    result.longName = *units;
    // The base from the name before its last dot, the extension from after
    // it; a name in small letters that is otherwise 8.3 keeps its letters.
    std::size_t dot = name.rfind('.');
    std::string base = shortNamePart(name.substr(0, dot == 0 ? name.size() : dot), 8);
    std::string extension = dot == std::string_view::npos || dot == 0
                                ? std::string()
                                : shortNamePart(name.substr(dot + 1), 3);
    if (base.empty()) {
        base = "_";
    }
    ShortName candidate = blankName();
    extension.copy(candidate.data() + 8, extension.size());
    if (std::optional<ShortName> folded = exactShortName(fatFoldedName(name));
        folded && !taken.contains(*folded)) {
        result.shortName = *folded;
        taken.insert(*folded);
        return result;
    }
    for (int tail = 1; tail < 1000000; ++tail) {
        std::string suffix = "~" + std::to_string(tail);
        std::string stem = base.substr(0, 8 - suffix.size()) + suffix;
        ShortName attempt = candidate;
        std::fill(attempt.begin(), attempt.begin() + 8, ' ');
        stem.copy(attempt.data(), stem.size());
        if (!taken.contains(attempt)) {
            result.shortName = attempt;
            taken.insert(attempt);
            return result;
        }
    }
    return std::nullopt;
}

void putLe16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void putLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    putLe16(bytes, at, value & 0xFFFF);
    putLe16(bytes, at + 2, value >> 16);
}

std::pair<std::uint16_t, std::uint16_t> fatTime(std::int64_t seconds, bool utc) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (!(utc ? gmtime_r(&t, &parts) : localtime_r(&t, &parts)) || parts.tm_year < 80) {
        return {(1 << 5) | 1, 0};
    }
    if (parts.tm_year > 207) {
        return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31),
                static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
    }
    auto date = static_cast<std::uint16_t>(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) |
                                           parts.tm_mday);
    auto time = static_cast<std::uint16_t>((parts.tm_hour << 11) | (parts.tm_min << 5) |
                                           (parts.tm_sec / 2));
    return {date, time};
}

void putFatDates(std::string& entry, std::size_t at, std::pair<std::uint16_t, std::uint16_t> when) {
    entry[at + 13] = 0;
    putLe16(entry, at + 14, when.second); // created
    putLe16(entry, at + 16, when.first);
    putLe16(entry, at + 18, when.first);  // last read
    putLe16(entry, at + 22, when.second); // written
    putLe16(entry, at + 24, when.first);
}

void putFatShortEntry(std::string& out, const ShortName& name, std::uint8_t attributes,
                      std::uint32_t cluster, std::uint32_t size,
                      std::pair<std::uint16_t, std::uint16_t> when) {
    std::string entry(32, '\0');
    std::copy(name.begin(), name.end(), entry.begin());
    entry[11] = static_cast<char>(attributes);
    putFatDates(entry, 0, when);
    putLe16(entry, 20, cluster >> 16);
    putLe16(entry, 26, cluster & 0xFFFF);
    putLe32(entry, 28, size);
    out += entry;
}

void putFatLongEntries(std::string& out, const FatName& name) {
    const std::vector<std::uint16_t>& units = name.longName;
    const std::size_t count = (units.size() + 12) / 13;
    const std::uint8_t checksum = shortNameChecksum(name.shortName);
    static constexpr int kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    for (std::size_t n = count; n >= 1; --n) {
        std::string entry(32, '\0');
        entry[0] = static_cast<char>(n | (n == count ? 0x40 : 0));
        entry[11] = 0x0F;
        entry[13] = static_cast<char>(checksum);
        for (std::size_t k = 0; k < 13; ++k) {
            std::size_t at = (n - 1) * 13 + k;
            std::uint32_t unit = at < units.size() ? units[at] : at == units.size() ? 0 : 0xFFFF;
            putLe16(entry, static_cast<std::size_t>(kOffsets[k]), unit);
        }
        out += entry;
    }
}

} // namespace ornibe
