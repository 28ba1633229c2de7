#include "common/ToolListFile.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"

namespace ornibe {

Result<std::vector<std::string>> readListFields(const std::string& list) {
    std::string text;
    try {
        text = readFile(list);
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
    std::vector<std::string> fields;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            return Failure{"read", list, "the last entry is not ended by a NUL byte"};
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

} // namespace ornibe
