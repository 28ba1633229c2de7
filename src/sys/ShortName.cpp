#include "sys/ShortName.h"

namespace ornibe {
namespace {

bool shortNameChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("$%'-_@~`!(){}^#&").find(c) != std::string_view::npos;
}

// The characters a short name can hold, in capitals, the others left out.
std::string usablePart(std::string_view text) {
    std::string part;
    for (char c : text) {
        if (shortNameChar(c)) {
            part += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return part;
}

bool validPart(std::string_view part, std::size_t longest) {
    if (part.empty() || part.size() > longest) {
        return false;
    }
    for (char c : part) {
        if (!shortNameChar(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isShortName(std::string_view name) {
    std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return validPart(name, 8);
    }
    return validPart(name.substr(0, dot), 8) && validPart(name.substr(dot + 1), 3);
}

std::string shortNameFor(std::string_view longName,
                         const std::function<bool(const std::string&)>& taken) {
    if (isShortName(longName)) {
        std::string same = usablePart(longName.substr(0, longName.find('.')));
        if (std::size_t dot = longName.find('.'); dot != std::string_view::npos) {
            same += "." + usablePart(longName.substr(dot + 1));
        }
        if (!taken(same)) {
            return same;
        }
    }
    const std::size_t dot = longName.rfind('.');
    std::string base = usablePart(longName.substr(0, dot));
    std::string extension =
        dot == std::string_view::npos ? std::string() : usablePart(longName.substr(dot + 1));
    if (base.empty()) {
        base = "FILE";
    }
    extension = extension.substr(0, 3);
    for (unsigned number = 1;; ++number) {
        const std::string suffix = "~" + std::to_string(number);
        std::string candidate = base.substr(0, 8 - suffix.size()) + suffix;
        if (!extension.empty()) {
            candidate += "." + extension;
        }
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

} // namespace ornibe
