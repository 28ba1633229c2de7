#include "sys/TextEncoding.h"

#include "sys/CaseFold.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace ornibe {
namespace {

// One iconv descriptor per direction, opened on first use. The program
// has one thread; the descriptor is reset before every conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts input; on an invalid or unconvertible sequence writes
    // replacement and skips badLength(input at that place) bytes.
    template <typename SkipLength>
    std::string convert(std::string_view input, std::string_view replacement,
                        SkipLength badLength) {
        std::string out;
        out.reserve(input.size() * 2 + 8);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result != static_cast<size_t>(-1)) {
                continue;
            }
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ (invalid or unmappable) or EINVAL (incomplete at the end).
            // An incomplete character at the end is one bad character.
            size_t skip = errno == EINVAL ? inLeft : badLength(std::string_view(in, inLeft));
            if (skip == 0 || skip > inLeft) {
                skip = inLeft;
            }
            out.append(replacement);
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        return out;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence at the start of text when it is well formed
// (so an unmappable character is skipped whole), otherwise 1.
size_t utf8SequenceLength(std::string_view text) {
    auto byte = static_cast<unsigned char>(text[0]);
    size_t length = byte < 0x80           ? 1
                    : (byte >> 5) == 0x6  ? 2
                    : (byte >> 4) == 0xE  ? 3
                    : (byte >> 3) == 0x1E ? 4
                                          : 1;
    if (length > text.size()) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

size_t cp932SequenceLength(std::string_view text) {
    if (text.size() >= 2 && isCp932LeadByte(static_cast<unsigned char>(text[0]))) {
        auto trail = static_cast<unsigned char>(text[1]);
        if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

size_t utf16Unit(std::string_view text) {
    // A character outside code page 932 written as a surrogate pair is one
    // character: skip both units. A lone surrogate or any other unit: one
    // unit. An odd trailing byte: the byte.
    if (text.size() >= 4) {
        auto high = static_cast<unsigned char>(text[1]);
        auto low = static_cast<unsigned char>(text[3]);
        if (high >= 0xD8 && high <= 0xDB && low >= 0xDC && low <= 0xDF) {
            return 4;
        }
    }
    return text.size() >= 2 ? 2 : 1;
}

const std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
const std::string_view kUtf16Replacement = std::string_view("\xFD\xFF", 2);

} // namespace

std::string utf8ToCp932(std::string_view utf8) {
    static Converter converter("CP932", "UTF-8");
    return converter.convert(utf8, "?", utf8SequenceLength);
}

std::string cp932ToUtf8(std::string_view cp932) {
    static Converter converter("UTF-8", "CP932");
    return converter.convert(cp932, kUtf8Replacement, cp932SequenceLength);
}

std::string utf16leToCp932(std::string_view utf16leBytes) {
    static Converter converter("CP932", "UTF-16LE");
    return converter.convert(utf16leBytes, "?", utf16Unit);
}

std::string cp932ToUtf16le(std::string_view cp932) {
    static Converter converter("UTF-16LE", "CP932");
    return converter.convert(cp932, kUtf16Replacement, cp932SequenceLength);
}

} // namespace ornibe
