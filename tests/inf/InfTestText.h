#pragma once

#include "inf/InfFile.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ornibe::test {

// The Version section that makes a text open as a Windows INF.
inline const std::string kVersionSection = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";

// Field n of the first line with the key, or "<no line>" / "<no field>".
inline std::string fieldOf(const InfFile& inf, std::string_view section, std::string_view key,
                           std::size_t n) {
    auto line = inf.findFirstLine(section, key);
    if (!line) {
        return "<no line>";
    }
    return inf.stringField(*line, n).value_or("<no field>");
}

} // namespace ornibe::test
