#include "sys/CaseFold.h"

namespace ornibe {
namespace {

unsigned char upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int compareHostNoCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int d = int(upper(static_cast<unsigned char>(a[i]))) -
                int(upper(static_cast<unsigned char>(b[i])));
        if (d != 0) {
            return sign(d);
        }
    }
    return sign(int(a.size() > b.size()) - int(a.size() < b.size()));
}

bool equalsHostNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareHostNoCase(a, b) == 0;
}

int compareSetupNoCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        bool leadA = isCp932LeadByte(ca) && i + 1 < a.size();
        bool leadB = isCp932LeadByte(cb) && j + 1 < b.size();
        // Single-byte characters fold; a double-byte character compares by
        // its two bytes, so its trail byte is never folded.
        int d = leadA || leadB ? int(ca) - int(cb) : int(upper(ca)) - int(upper(cb));
        if (d != 0) {
            return sign(d);
        }
        if (leadA && leadB) {
            d = int(static_cast<unsigned char>(a[i + 1])) -
                int(static_cast<unsigned char>(b[j + 1]));
            if (d != 0) {
                return sign(d);
            }
            i += 2;
            j += 2;
        } else {
            ++i;
            ++j;
        }
    }
    return sign(int(i < a.size()) - int(j < b.size()));
}

bool equalsSetupNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareSetupNoCase(a, b) == 0;
}

std::string foldSetupText(std::string_view cp932) {
    std::string out(cp932);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (isCp932LeadByte(c)) {
            ++i;
        } else {
            out[i] = static_cast<char>(upper(c));
        }
    }
    return out;
}

std::string foldHostText(std::string_view utf8) {
    std::string out(utf8);
    for (char& c : out) {
        c = static_cast<char>(upper(static_cast<unsigned char>(c)));
    }
    return out;
}

bool endsWithBackslashCp932(std::string_view cp932) {
    if (cp932.empty() || cp932.back() != '\\') {
        return false;
    }
    // Walk from the start: only a forward walk knows whether the last byte
    // is the trail of a double-byte character.
    size_t i = 0;
    size_t last = 0;
    while (i < cp932.size()) {
        last = i;
        i += isCp932LeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
    }
    return last == cp932.size() - 1;
}

bool endsWithSlash(std::string_view utf8) {
    return !utf8.empty() && utf8.back() == '/';
}

} // namespace ornibe
