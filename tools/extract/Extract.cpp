#include "Extract.h"

#include "common/GLibPointers.h"
#include "common/ToolCommandLine.h"
#include "common/ToolListFile.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/WindowsPath.h"

#include <libgcab.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

namespace ornibe {
namespace {

struct Arguments {
    bool overwrite = false;
    std::string folder = ".";
    std::string cabinet;
    std::vector<std::string> names;
    // The list file of /F, when given instead of CABINET.
    std::optional<std::string> list;
};

constexpr std::string_view kUsage =
    "usage: extract [/Y] [/L folder] cabinet [name...] | [/Y] /F list";

ToolParse<Arguments> parse(const std::vector<std::string>& args) {
    Arguments parsed;
    auto operands = parseToolCommandLine(
        args, {.switches = {{.spellings = {"/Y", "-Y"}, .set = setsTrue(parsed.overwrite)},
                            // Expand all files: what happens anyway when no name is given.
                            {.spellings = {"/E", "-E"}},
                            {.spellings = {"/L", "-L"},
                             .takes = ToolSwitch::Takes::NextWord,
                             .set = [&](const std::string& folder) { parsed.folder = folder; },
                             .missingValue = "/L needs a destination folder"},
                            {.spellings = {"/F", "-F"},
                             .takes = ToolSwitch::Takes::NextWord,
                             .set = [&](const std::string& list) { parsed.list = list; },
                             .missingValue = "/F needs a list file"}},
               .minOperands = 0,
               .usage = kUsage});
    if (!operands) {
        return operands.failure();
    }
    const std::vector<std::string>& files = *operands;
    if (parsed.list) {
        if (!files.empty()) {
            return ToolUsageError{std::string(kUsage)};
        }
        return parsed;
    }
    if (files.empty()) {
        return ToolUsageError{std::string(kUsage)};
    }
    parsed.cabinet = files[0];
    parsed.names.assign(files.begin() + 1, files.end());
    return parsed;
}

bool wanted(const std::vector<std::string>& names, const std::string& stored) {
    if (names.empty()) {
        return true;
    }
    for (const std::string& name : names) {
        if (name == "*" || name == "*.*" || equalsHostNoCase(name, stored) ||
            equalsHostNoCase(name, fileName(stored))) {
            return true;
        }
    }
    return false;
}

// The parts of a name stored in a cabinet, which uses "\" between folders.
// Nothing for a name that would reach outside the destination folder.
std::optional<std::vector<std::string>> storedParts(const std::string& stored) {
    std::vector<std::string> parts;
    for (std::string_view part : splitWindowsPath(stored, EmptyNames::Keep)) {
        if (part.empty() || part == "." || part == "..") {
            return std::nullopt;
        }
        parts.emplace_back(part);
    }
    return parts;
}

// One file of the cabinet on its way out: expanded under temporary, then
// renamed to the entry of its name in the destination.
struct Planned {
    GCabFile* file;
    std::vector<std::string> parts;
    std::string temporary;
};

// The destination of parts below folder, each part matched ignoring case;
// missing folders are created when create is set.
std::optional<std::string> destination(const std::string& folder,
                                       const std::vector<std::string>& parts, bool create) {
    std::string path = folder;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        path = entryPathNoCase(path, parts[i]);
        if (!existsAsFolder(path)) {
            if (!create || ::mkdir(path.c_str(), 0777) != 0) {
                return create ? std::nullopt : std::optional<std::string>(path);
            }
        }
    }
    return entryPathNoCase(path, parts.back());
}

gboolean expandPlanned(GCabFile* file, gpointer userData) {
    auto* plan = static_cast<std::vector<Planned>*>(userData);
    for (const Planned& planned : *plan) {
        if (planned.file == file) {
            return TRUE;
        }
    }
    return FALSE;
}

void removeTemporaries(const std::vector<Planned>& plan) {
    for (const Planned& planned : plan) {
        ::unlink(planned.temporary.c_str());
    }
}

// The parsed arguments, once the cabinet and the destination folder exist.
std::optional<Arguments> checkedArguments(const std::vector<std::string>& args, std::ostream& err) {
    ToolParse<Arguments> parsed = parse(args);
    if (!parsed) {
        err << "extract: " << parsed.failure().message << "\n";
        return std::nullopt;
    }
    if (!existsAsFile(parsed->cabinet)) {
        err << "extract: cannot read " << parsed->cabinet << ": "
            << (existsAsFolder(parsed->cabinet) ? "it is a folder" : "no such file") << "\n";
        return std::nullopt;
    }
    if (!existsAsFolder(parsed->folder)) {
        err << "extract: destination folder " << parsed->folder << " does not exist\n";
        return std::nullopt;
    }
    return *std::move(parsed);
}

// The cabinet read into memory; empty after one line on err.
GPtr<GCabCabinet> loadCabinet(const std::string& path, std::ostream& err) {
    GPtr<GFile> cabinetFile(g_file_new_for_path(path.c_str()));
    GError* rawError = nullptr;
    GPtr<GFileInputStream> input(g_file_read(cabinetFile.get(), nullptr, &rawError));
    GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    if (!input ||
        !gcab_cabinet_load(cabinet.get(), G_INPUT_STREAM(input.get()), nullptr, &rawError)) {
        GErrorPtr error(rawError);
        err << "extract: " << path
            << " is not a readable cabinet: " << (error ? error->message : "unknown error") << "\n";
        return GPtr<GCabCabinet>();
    }
    return cabinet;
}

// The files asked for, in cabinet order; nothing when a stored name points
// outside the destination folder.
std::optional<std::vector<Planned>> planFiles(GCabCabinet* cabinet, const Arguments& parsed,
                                              std::ostream& err) {
    std::vector<Planned> plan;
    GPtrArray* folders = gcab_cabinet_get_folders(cabinet);
    for (guint i = 0; i < folders->len; ++i) {
        GSListPtr files(gcab_folder_get_files(GCAB_FOLDER(g_ptr_array_index(folders, i))));
        for (GSList* node = files.get(); node; node = node->next) {
            auto* file = GCAB_FILE(node->data);
            std::string stored = gcab_file_get_name(file);
            if (!wanted(parsed.names, stored)) {
                continue;
            }
            std::optional<std::vector<std::string>> parts = storedParts(stored);
            if (!parts) {
                err << "extract: " << parsed.cabinet << " holds a file name that points outside "
                    << "the destination folder: " << stored << "\n";
                return std::nullopt;
            }
            plan.push_back({file, *parts, ""});
        }
    }
    return plan;
}

// Refuses before anything is written: a name taken by a folder, a file
// that may not be replaced, or a read-only file.
bool targetsMayBeWritten(const std::vector<Planned>& plan, const Arguments& parsed,
                         std::ostream& err) {
    for (const Planned& planned : plan) {
        std::string target = *destination(parsed.folder, planned.parts, false);
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            err << "extract: cannot replace " << target << ": it is a folder\n";
            return false;
        }
        if (!parsed.overwrite) {
            err << "extract: " << target << " exists; give /Y to replace it\n";
            return false;
        }
        if (isReadOnly(target)) {
            err << "extract: cannot replace " << target << ": it is read-only\n";
            return false;
        }
    }
    return true;
}

// Expands every planned file under a temporary name of this process in the
// destination folder; on failure none of them is left.
bool expandToTemporaries(GCabCabinet* cabinet, std::vector<Planned>& plan, const Arguments& parsed,
                         std::ostream& err) {
    std::string prefix = ".ornibe-extract-" + std::to_string(::getpid()) + "-";
    for (size_t i = 0; i < plan.size(); ++i) {
        plan[i].temporary = joinPath(parsed.folder, prefix + std::to_string(i));
        // The name is this process's own: whatever stands there (a link
        // planted to receive the expanded file) goes first.
        ::unlink(plan[i].temporary.c_str());
        gcab_file_set_extract_name(plan[i].file, fileName(plan[i].temporary).c_str());
    }
    GPtr<GFile> folderFile(g_file_new_for_path(parsed.folder.c_str()));
    GError* rawError = nullptr;
    if (!gcab_cabinet_extract_simple(cabinet, folderFile.get(), expandPlanned, &plan, nullptr,
                                     &rawError)) {
        GErrorPtr error(rawError);
        removeTemporaries(plan);
        err << "extract: cannot expand " << parsed.cabinet << ": "
            << (error ? error->message : "unknown error") << "\n";
        return false;
    }
    return true;
}

// Renames each expanded file to its name, printing each on out.
bool placeExpanded(const std::vector<Planned>& plan, const Arguments& parsed, std::ostream& out,
                   std::ostream& err) {
    for (size_t i = 0; i < plan.size(); ++i) {
        std::optional<std::string> target = destination(parsed.folder, plan[i].parts, true);
        if (!target || ::rename(plan[i].temporary.c_str(), target->c_str()) != 0) {
            int error = errno;
            removeTemporaries(plan);
            err << "extract: cannot write "
                << (target ? *target : joinPath(parsed.folder, plan[i].parts.front())) << ": "
                << systemReason(error) << "\n";
            return false;
        }
        out << *target << "\n";
    }
    return true;
}

// The entries of a list file: CABINET, FOLDER and NAME after each other,
// each ended by a NUL byte, so that any path can stand in it.
std::optional<std::vector<std::array<std::string, 3>>> readEntries(const std::string& list,
                                                                   std::ostream& err) {
    Result<std::vector<std::string>> fields = readListFields(list);
    if (!fields) {
        err << "extract: cannot read the list " << fields.failure().path << ": "
            << fields.failure().reason << "\n";
        return std::nullopt;
    }
    std::vector<std::array<std::string, 3>> entries;
    std::array<std::string, 3> entry;
    std::size_t field = 0;
    for (std::string& text : *fields) {
        entry[field] = std::move(text);
        if (++field == entry.size()) {
            entries.push_back(entry);
            field = 0;
        }
    }
    if (field != 0) {
        err << "extract: cannot read the list " << list << ": an entry without its name\n";
        return std::nullopt;
    }
    return entries;
}

int expandOne(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<Arguments> parsed = checkedArguments(args, err);
    if (!parsed) {
        return 1;
    }
    GPtr<GCabCabinet> cabinet = loadCabinet(parsed->cabinet, err);
    if (!cabinet) {
        return 1;
    }
    std::optional<std::vector<Planned>> plan = planFiles(cabinet.get(), *parsed, err);
    if (!plan || !targetsMayBeWritten(*plan, *parsed, err) ||
        !expandToTemporaries(cabinet.get(), *plan, *parsed, err) ||
        !placeExpanded(*plan, *parsed, out, err)) {
        return 1;
    }
    return 0;
}

} // namespace

int runExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ToolParse<Arguments> parsed = parse(args);
    if (!parsed || !parsed->list) {
        return expandOne(args, out, err);
    }
    std::optional<std::vector<std::array<std::string, 3>>> entries =
        readEntries(*parsed->list, err);
    if (!entries) {
        return 1;
    }
    // Each entry as the single form expands it, one after the other; one
    // that fails leaves the others standing.
    int status = 0;
    for (const auto& [cabinet, folder, name] : *entries) {
        std::vector<std::string> one = {"/L", folder, cabinet};
        if (!name.empty()) {
            one.push_back(name);
        }
        if (parsed->overwrite) {
            one.insert(one.begin(), "/Y");
        }
        status = expandOne(one, out, err) == 0 ? status : 1;
    }
    return status;
}

} // namespace ornibe
