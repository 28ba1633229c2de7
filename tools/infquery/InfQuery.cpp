#include "InfQuery.h"

#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace ornibe {

namespace {

constexpr const char* kUsage =
    "usage: infquery FILE open | count SECTION | find SECTION [KEY] | "
    "field SECTION LINE FIELD | fieldcount SECTION LINE | text SECTION LINE | "
    "value SECTION KEY FIELD | target [SECTION] | package VERSIONCODE";

std::optional<std::size_t> parseIndex(const std::string& text) {
    std::size_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int usage(std::ostream& err) {
    err << kUsage << '\n';
    return 2;
}

// Prints the text, or exits 1 when there is none.
int answer(const std::optional<std::string>& text, std::ostream& out) {
    if (!text)
        return 1;
    out << *text << '\n';
    return 0;
}

// One line a manufacturer: its name and the models section chosen for the
// version.
void printModels(const InfReader& reader, WindowsVersion version, std::ostream& out) {
    const InfFile& inf = reader.file();
    for (auto line = inf.findFirstLine("Manufacturer"); line; line = inf.findNextLine(*line))
        out << "models\t" << reader.GetField(*line, 0) << '\t'
            << reader.modelsSectionOf(*line, version) << '\n';
}

void printPackage(const DriverPackage& package, std::ostream& out) {
    for (const std::string& path : package.allCatalogFiles())
        out << "catalog\t" << path << '\n';
    for (const std::string& name : package.serviceBinaries())
        out << "binary\t" << name << '\n';
    for (const auto& [id, service] : package.hardwareIdToService())
        out << "hwid\t" << id << '\t' << service << '\n';
    for (const auto& [description, service] : package.descriptionToService())
        out << "desc\t" << description << '\t' << service << '\n';
    for (const auto& [source, target] : package.fileToTargetDir())
        out << "file\t" << source << '\t' << target << '\n';
    for (const std::string& path : package.infFiles())
        out << "inf\t" << path << '\n';
}

} // namespace

int runInfQuery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2)
        return usage(err);
    const std::string& path = args[0];
    const std::string& command = args[1];
    const std::size_t extra = args.size() - 2;
    auto arg = [&](std::size_t i) -> const std::string& { return args[2 + i]; };

    // Check the arguments before touching the file.
    std::optional<std::size_t> line;
    std::optional<std::size_t> field;
    if (command == "open") {
        if (extra != 0)
            return usage(err);
    } else if (command == "count") {
        if (extra != 1)
            return usage(err);
    } else if (command == "find") {
        if (extra != 1 && extra != 2)
            return usage(err);
    } else if (command == "field") {
        if (extra != 3 || !(line = parseIndex(arg(1))) || !(field = parseIndex(arg(2))))
            return usage(err);
    } else if (command == "fieldcount" || command == "text") {
        if (extra != 2 || !(line = parseIndex(arg(1))))
            return usage(err);
    } else if (command == "value") {
        if (extra != 3 || !(field = parseIndex(arg(2))))
            return usage(err);
    } else if (command == "target") {
        if (extra > 1)
            return usage(err);
    } else if (command == "package") {
        if (extra != 1 || arg(0).size() != 1)
            return usage(err);
    } else {
        return usage(err);
    }

    auto unreadable = [&](const InfProblem& problem) {
        if (problem.kind != InfProblem::Kind::Unreadable)
            return false;
        err << "infquery: " << path << ": " << problem.text() << '\n';
        return true;
    };

    if (command == "package") {
        InfReader reader(path);
        if (unreadable(reader.problem()))
            return 2;
        // The version is given as its digit.
        const WindowsVersion version = versionOfDigit(arg(0)[0]);
        DriverPackage package;
        reader.ReadDriverPackage(package, version);
        printPackage(package, out);
        printModels(reader, version, out);
        return 0;
    }

    const Result<InfFile, InfProblem> read = InfFile::read(path);
    if (!read && unreadable(read.failure()))
        return 2;
    const InfFile inf = read.valueOr(InfFile());
    if (command == "open") {
        out << (inf.isOpen() ? 1 : 0) << '\n';
        if (!read)
            err << "infquery: " << path << ": " << read.failure().text() << '\n';
    } else if (command == "count") {
        out << inf.lineCount(arg(0)) << '\n';
    } else if (command == "find") {
        bool found = extra == 1 ? inf.findFirstLine(arg(0)).has_value()
                                : inf.findFirstLine(arg(0), arg(1)).has_value();
        out << (found ? 1 : 0) << '\n';
    } else if (command == "field") {
        auto position = inf.lineByIndex(arg(0), *line);
        return answer(position ? inf.stringField(*position, *field) : std::nullopt, out);
    } else if (command == "fieldcount") {
        auto position = inf.lineByIndex(arg(0), *line);
        if (!position)
            return 1;
        out << inf.fieldCount(*position) << '\n';
    } else if (command == "text") {
        auto position = inf.lineByIndex(arg(0), *line);
        return answer(position ? inf.lineText(*position) : std::nullopt, out);
    } else if (command == "value") {
        auto position = inf.findFirstLine(arg(0), arg(1));
        return answer(position ? inf.stringField(*position, *field) : std::nullopt, out);
    } else if (command == "target") {
        return answer(inf.destinationFolder(extra == 1 ? std::optional<std::string_view>(arg(0))
                                                       : std::nullopt),
                      out);
    }
    return 0;
}

} // namespace ornibe
