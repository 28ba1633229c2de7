#include "inf/InfText.h"

#include "sys/TextEncoding.h"

#include <algorithm>
#include <string_view>

namespace ornibe {

std::string decodeInfText(std::string bytes) {
    std::string_view view(bytes);
    if (view.size() >= 2 && static_cast<unsigned char>(view[0]) == 0xFF &&
        static_cast<unsigned char>(view[1]) == 0xFE)
        bytes = utf16leToCp932(view.substr(2));
    else if (view.size() >= 3 && static_cast<unsigned char>(view[0]) == 0xEF &&
             static_cast<unsigned char>(view[1]) == 0xBB &&
             static_cast<unsigned char>(view[2]) == 0xBF)
        bytes = utf8ToCp932(view.substr(3));
    if (auto end = bytes.find('\x1A'); end != std::string::npos)
        bytes.resize(end);
    std::replace(bytes.begin(), bytes.end(), '\0', ' ');
    return bytes;
}

} // namespace ornibe
