#include "inf/InfText.h"

#include "sys/TextEncoding.h"

#include <cstring>
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
    if (const void* end = std::memchr(bytes.data(), '\x1A', bytes.size()))
        bytes.resize(static_cast<std::size_t>(static_cast<const char*>(end) - bytes.data()));
    // NUL bytes are rare: they are found with memchr, not looked at one by one.
    char* at = bytes.data();
    char* const last = at + bytes.size();
    while (at < last) {
        auto* nul = static_cast<char*>(std::memchr(at, '\0', static_cast<std::size_t>(last - at)));
        if (nul == nullptr)
            break;
        *nul = ' ';
        at = nul + 1;
    }
    return bytes;
}

} // namespace ornibe
