#include "runner/WineOutputFilter.h"

namespace ornibe {
namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

bool WineOutputFilter::isWineNoise(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    // Debug lines carry the thread id in hex ("0024:") before the class.
    std::size_t digits = 0;
    while (digits < line.size() && isHexDigit(line[digits])) {
        ++digits;
    }
    std::string_view rest = line;
    if (digits > 0 && digits < line.size() && line[digits] == ':') {
        rest = line.substr(digits + 1);
    }
    for (std::string_view debugClass : {"err:", "fixme:", "warn:", "trace:"}) {
        if (rest.starts_with(debugClass)) {
            return true;
        }
    }
    return line.starts_with("wine: created the configuration directory") ||
           line.starts_with("wine: configuration in ");
}

std::string WineOutputFilter::feed(std::string_view chunk) {
    pending_.append(chunk);
    std::string kept;
    std::size_t start = 0;
    for (std::size_t end = pending_.find('\n'); end != std::string::npos;
         end = pending_.find('\n', start)) {
        std::string_view line(pending_.data() + start, end - start);
        if (!isWineNoise(line)) {
            kept.append(line).push_back('\n');
        }
        start = end + 1;
    }
    pending_.erase(0, start);
    return kept;
}

std::string WineOutputFilter::finish() {
    std::string rest;
    rest.swap(pending_);
    return isWineNoise(rest) ? std::string() : rest;
}

} // namespace ornibe
