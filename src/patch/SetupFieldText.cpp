#include "patch/SetupFieldText.h"

namespace ornibe {

std::string quotedSetupText(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string setupFieldText(std::string_view text) {
    bool bare = !text.empty() && text.find_first_of(";=,\"") == std::string_view::npos &&
                text.front() != '[' && text.front() != ' ' && text.front() != '\t' &&
                text.back() != ' ' && text.back() != '\t' && text.back() != '\\';
    return bare ? std::string(text) : quotedSetupText(text);
}

} // namespace ornibe
