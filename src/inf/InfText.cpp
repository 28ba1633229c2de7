#include "inf/InfText.h"

#include "sys/TextEncoding.h"

#include <algorithm>

namespace ornibe {

std::string decodeInfText(std::string_view bytes) {
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        text = utf16leToCp932(bytes.substr(2));
    else if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
             static_cast<unsigned char>(bytes[1]) == 0xBB &&
             static_cast<unsigned char>(bytes[2]) == 0xBF)
        text = utf8ToCp932(bytes.substr(3));
    else
        text.assign(bytes);
    if (auto end = text.find('\x1A'); end != std::string::npos)
        text.resize(end);
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

} // namespace ornibe
