#include "Makecab.h"

#include "common/GLibPointers.h"
#include "common/ToolCommandLine.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SourceDateEpoch.h"

#include <libgcab.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace ornibe {
namespace {

struct Arguments {
    std::string folder = ".";
    std::string source;
    std::optional<std::string> name;
};

ToolParse<Arguments> parse(const std::vector<std::string>& args) {
    Arguments parsed;
    auto operands = parseToolCommandLine(
        args, {.switches = {{.spellings = {"/L", "-L"},
                             .takes = ToolSwitch::Takes::NextWord,
                             .set = [&](const std::string& folder) { parsed.folder = folder; },
                             .missingValue = "/L needs a destination folder"}},
               .minOperands = 1,
               .maxOperands = 2,
               .usage = "usage: makecab [/L folder] file [name]"});
    if (!operands) {
        return operands.failure();
    }
    const std::vector<std::string>& files = *operands;
    parsed.source = files[0];
    if (files.size() == 2) {
        parsed.name = files[1];
    }
    return parsed;
}

// The cabinet as bytes: one MSZIP folder holding the file under name; or
// why it could not be made. The file keeps its modification time, except
// that one later than epoch (when given) is stored as epoch, so that a file
// the build has just written is dated the same in every build.
Result<std::string> buildCabinet(const std::string& source, const std::string& name,
                                 std::optional<std::int64_t> epoch) {
    GPtr<GFile> file(g_file_new_for_path(source.c_str()));
    GPtr<GCabFile> cabFile(gcab_file_new_with_file(name.c_str(), file.get()));
    struct stat st {};
    if (epoch && ::stat(source.c_str(), &st) == 0 && st.st_mtime > *epoch) {
        GDateTime* when = g_date_time_new_from_unix_utc(*epoch);
        gcab_file_set_date_time(cabFile.get(), when);
        g_date_time_unref(when);
    }
    GPtr<GCabFolder> folder(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
    GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GPtr<GOutputStream> stream(g_memory_output_stream_new_resizable());
    GError* rawError = nullptr;
    bool ok = gcab_folder_add_file(folder.get(), cabFile.get(), FALSE, nullptr, &rawError) &&
              gcab_cabinet_add_folder(cabinet.get(), folder.get(), &rawError) &&
              gcab_cabinet_write_simple(cabinet.get(), stream.get(), nullptr, nullptr, nullptr,
                                        &rawError) &&
              g_output_stream_close(stream.get(), nullptr, &rawError);
    GErrorPtr error(rawError);
    if (!ok) {
        return Failure{"compress", source,
                       error ? error->message : "the cabinet could not be written"};
    }
    auto* memory = G_MEMORY_OUTPUT_STREAM(stream.get());
    return std::string(static_cast<const char*>(g_memory_output_stream_get_data(memory)),
                       g_memory_output_stream_get_data_size(memory));
}

} // namespace

int runMakecab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ToolParse<Arguments> parsed = parse(args);
    if (!parsed) {
        err << "makecab: " << parsed.failure().message << "\n";
        return 1;
    }
    const std::string& source = parsed->source;
    if (!existsAsFile(source)) {
        err << "makecab: cannot read " << source << ": "
            << (existsAsFolder(source) ? "it is a folder" : "no such file") << "\n";
        return 1;
    }
    if (!existsAsFolder(parsed->folder)) {
        err << "makecab: destination folder " << parsed->folder << " does not exist\n";
        return 1;
    }
    std::string storedName = fileName(source);
    std::string target =
        entryPathNoCase(parsed->folder, parsed->name ? *parsed->name : compressedName(storedName));

    std::optional<std::int64_t> epoch;
    if (const char* value = std::getenv("SOURCE_DATE_EPOCH"); value && *value) {
        epoch = parseSourceDateEpoch(value);
        if (!epoch) {
            err << "makecab: SOURCE_DATE_EPOCH=" << value
                << " is not a whole number of seconds from 0 to " << kLastSourceDateEpoch << "\n";
            return 1;
        }
    }
    Result<std::string> cabinet = buildCabinet(source, storedName, epoch);
    if (!cabinet) {
        err << "makecab: cannot compress " << cabinet.failure().line() << "\n";
        return 1;
    }
    try {
        writeFileAtomic(target, *cabinet);
    } catch (const FileError& error) {
        err << "makecab: cannot " << error.operation() << " " << error.path() << ": "
            << error.reason() << "\n";
        return 1;
    }
    out << source << " -> " << target << "\n";
    return 0;
}

} // namespace ornibe
