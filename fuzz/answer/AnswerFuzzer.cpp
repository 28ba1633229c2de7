// libFuzzer target: the check of a user's answer file over arbitrary
// bytes, for each version's rules and for an unknown version.
#include "answer/AnswerFileCheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (ornibe::WindowsVersion version :
         {ornibe::WindowsVersion::Windows2000, ornibe::WindowsVersion::WindowsXp,
          ornibe::WindowsVersion::Server2003, ornibe::WindowsVersion::Unknown}) {
        ornibe::AnswerFileReading reading =
            ornibe::checkAnswerFileBytes(bytes, "WINNT.SIF", version);
        (void)reading.check.outcome;
    }
    return 0;
}
