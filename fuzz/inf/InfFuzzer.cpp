// libFuzzer target: the INF parser's answers over arbitrary bytes, and the
// driver INF walk over the same bytes written as a file.
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using ornibe::InfFile;
using ornibe::InfPosition;

// Every answer for one section: its lines, fields, texts, key chains and
// the target folder of every field used as a section name.
void walkSection(const InfFile& inf, std::string_view section) {
    int count = inf.lineCount(section);
    auto line = inf.findFirstLine(section);
    for (int n = 0; line && n < 2000; ++n, line = inf.findNextLine(*line)) {
        std::size_t fields = inf.fieldCount(*line);
        for (std::size_t i = 0; i <= fields + 1 && i < 64; ++i) {
            auto text = inf.stringField(*line, i);
            if (!text)
                continue;
            (void)inf.lineCount(*text);
            (void)inf.destinationFolder(std::string_view(*text));
            if (auto match = inf.findFirstLine(section, *text))
                (void)inf.findNextMatchLine(*match, *text);
        }
        (void)inf.lineText(*line);
        auto key = inf.stringField(*line, 0);
        if (key)
            (void)inf.findNextMatchLine(*line, *key);
    }
    if (count > 0)
        (void)inf.lineByIndex(section, static_cast<std::size_t>(count - 1));
}

std::string scratchFile() {
    char folder[] = "/tmp/ornibe-fuzz-XXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    return std::string(folder) + "/disk.inf";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    InfFile inf = InfFile::parse(bytes);
    for (const char* section : {"Version", "Manufacturer", "Strings", "Strings.0411",
                                "DestinationDirs", "SourceDisksNames", "SourceDisksFiles"})
        walkSection(inf, section);
    (void)inf.destinationFolder(std::nullopt);

    static const std::string path = scratchFile();
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        ornibe::InfReader reader(path);
        for (ornibe::WindowsVersion version :
             {ornibe::WindowsVersion::Windows2000, ornibe::WindowsVersion::WindowsXp,
              ornibe::WindowsVersion::Server2003}) {
            ornibe::DriverPackage package;
            reader.ReadDriverPackage(package, version);
        }
        reader.Close();
    }
    return 0;
}
