#include "sys/WindowsPath.h"

namespace ornibe {

std::vector<std::string_view> splitWindowsPath(std::string_view path, EmptyNames empty) {
    std::vector<std::string_view> names;
    while (true) {
        const std::size_t separator = path.find_first_of("/\\");
        std::string_view name = path.substr(0, separator);
        if (!name.empty() || empty == EmptyNames::Keep) {
            names.push_back(name);
        }
        if (separator == std::string_view::npos) {
            return names;
        }
        path.remove_prefix(separator + 1);
    }
}

} // namespace ornibe
