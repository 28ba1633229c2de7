#include "Makecab.h"

#include "common/GLibPointers.h"
#include "common/ToolCommandLine.h"
#include "common/ToolListFile.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/SourceDateEpoch.h"

#include <libgcab.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <thread>

namespace ornibe {
namespace {

struct Arguments {
    std::string folder = ".";
    std::string source;
    std::optional<std::string> name;
    // The list file of /F, when given instead of FILE.
    std::optional<std::string> list;
};

constexpr std::string_view kUsage = "usage: makecab [/L folder] file [name] | [/L folder] /F list";

ToolParse<Arguments> parse(const std::vector<std::string>& args) {
    Arguments parsed;
    auto operands = parseToolCommandLine(
        args, {.switches = {{.spellings = {"/L", "-L"},
                             .takes = ToolSwitch::Takes::NextWord,
                             .set = [&](const std::string& folder) { parsed.folder = folder; },
                             .missingValue = "/L needs a destination folder"},
                            {.spellings = {"/F", "-F"},
                             .takes = ToolSwitch::Takes::NextWord,
                             .set = [&](const std::string& list) { parsed.list = list; },
                             .missingValue = "/F needs a list file"}},
               .minOperands = 0,
               .maxOperands = 2,
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
    parsed.source = files[0];
    if (files.size() == 2) {
        parsed.name = files[1];
    }
    return parsed;
}

// A cabinet dates a file in the DOS form: its years run from 1980 to 2107
// and its seconds are even. The first and the last date it can hold, UTC.
constexpr std::int64_t kFirstDosDate = 315532800; // 1980-01-01 00:00:00
constexpr std::int64_t kLastDosDate = 4354819198; // 2107-12-31 23:59:58

std::int64_t dosDateRange(std::int64_t when) {
    return std::clamp(when, kFirstDosDate, kLastDosDate);
}

// The cabinet as bytes: one MSZIP folder holding the file under name; or
// why it could not be made. The file keeps its modification time, except
// that one later than epoch (when given) is stored as epoch, so that a file
// the build has just written is dated the same in every build, and that
// neither is stored outside the dates the cabinet can hold.
Result<std::string> buildCabinet(const std::string& source, const std::string& name,
                                 std::optional<std::int64_t> epoch) {
    GPtr<GFile> file(g_file_new_for_path(source.c_str()));
    GPtr<GCabFile> cabFile(gcab_file_new_with_file(name.c_str(), file.get()));
    struct stat st {};
    std::optional<std::int64_t> stored;
    if (::stat(source.c_str(), &st) == 0) {
        if (epoch && st.st_mtime > dosDateRange(*epoch)) {
            stored = dosDateRange(*epoch);
        } else if (st.st_mtime != dosDateRange(st.st_mtime)) {
            stored = dosDateRange(st.st_mtime);
        }
    }
    if (stored) {
        GDateTime* when = g_date_time_new_from_unix_utc(*stored);
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

// One cabinet of the run: what to compress and under which name it goes
// into the folder (none: the file's compressed name).
struct Job {
    std::string source;
    std::optional<std::string> name;
};

// What compressing one file said: the line for out on success, else the
// line for err.
struct JobResult {
    bool ok = false;
    std::string line;
};

// A cabinet of a list goes to disk as the build's tree copy writes its
// files, not flushed one by one: the list's many small cabinets would wait
// for the disk in turn.
JobResult makeCabinet(const Job& job, const std::string& target, std::optional<std::int64_t> epoch,
                      bool flush) {
    const std::string& source = job.source;
    if (!existsAsFile(source)) {
        return {false, "makecab: cannot read " + source + ": " +
                           (existsAsFolder(source) ? "it is a folder" : "no such file") + "\n"};
    }
    std::string storedName = fileName(source);
    Result<std::string> cabinet = buildCabinet(source, storedName, epoch);
    if (!cabinet) {
        return {false, "makecab: cannot compress " + cabinet.failure().line() + "\n"};
    }
    try {
        // A place its caller reserved under a pending file's name is
        // filled where it stands; the caller renames it when whole.
        struct stat st {};
        if (isPendingFileName(fileName(target)) && ::lstat(target.c_str(), &st) == 0 &&
            S_ISREG(st.st_mode)) {
            fillReservedFile(target, *cabinet);
        } else {
            flush ? writeFileAtomic(target, *cabinet) : writeFileUnflushed(target, *cabinet);
        }
    } catch (const FileError& error) {
        return {false, "makecab: cannot " + error.operation() + " " + error.path() + ": " +
                           error.reason() + "\n"};
    }
    return {true, source + " -> " + target + "\n"};
}

// The jobs of a list file: FILE and NAME after each other, each ended by a
// NUL byte (an empty NAME: the file's compressed name), so that any path
// can stand in it.
Result<std::vector<Job>> readJobs(const std::string& list) {
    Result<std::vector<std::string>> read = readListFields(list);
    if (!read) {
        return read.failure();
    }
    const std::vector<std::string>& fields = *read;
    if (fields.size() % 2 != 0) {
        return Failure{"read", list, "a file without its name"};
    }
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        if (fields[i].empty()) {
            return Failure{"read", list, "an empty file name"};
        }
        jobs.push_back(
            {fields[i], fields[i + 1].empty() ? std::nullopt : std::optional(fields[i + 1])});
    }
    return jobs;
}

// The name a job's cabinet takes in folder: its own, or the compressed
// name of its file.
std::string cabinetName(const Job& job) {
    return job.name ? *job.name : compressedName(fileName(job.source));
}

// Runs the jobs on the machine's cores, each cabinet on its own; the
// results come back in the order of the jobs. The folder is listed once:
// each cabinet takes the entry of its name whatever its letter case, an
// earlier job's among them, as a run of its own would find it.
std::vector<JobResult> runJobs(const std::vector<Job>& jobs, const std::string& folder,
                               std::optional<std::int64_t> epoch) {
    std::vector<std::string> targets;
    targets.reserve(jobs.size());
    DestFolder names(folder);
    for (const Job& job : jobs) {
        targets.push_back(existsAsFile(job.source) ? names.entryFor(cabinetName(job))
                                                   : std::string());
    }
    std::vector<JobResult> results(jobs.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            results[i] = makeCabinet(jobs[i], targets[i], epoch, false);
        }
    };
    // Two jobs for one cabinet run in the list's order, so that the later
    // one's stands, as after runs of their own.
    std::set<std::string> distinct;
    bool shared = false;
    for (const std::string& target : targets) {
        shared = shared || (!target.empty() && !distinct.insert(target).second);
    }
    const std::size_t workers =
        shared
            ? 1
            : std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
    std::vector<std::jthread> threads;
    for (std::size_t i = 1; i < workers; ++i) {
        threads.emplace_back(work);
    }
    work();
    return results;
}

} // namespace

int runMakecab(const std::vector<std::string>& args, const HostEnvironment& environment,
               std::ostream& out, std::ostream& err) {
    ToolParse<Arguments> parsed = parse(args);
    if (!parsed) {
        err << "makecab: " << parsed.failure().message << "\n";
        return 1;
    }
    std::vector<Job> jobs;
    if (parsed->list) {
        Result<std::vector<Job>> listed = readJobs(*parsed->list);
        if (!listed) {
            err << "makecab: cannot read the list " << listed.failure().line() << "\n";
            return 1;
        }
        jobs = std::move(*listed);
    } else {
        jobs.push_back({parsed->source, parsed->name});
    }
    if (!parsed->list && !existsAsFile(parsed->source)) {
        err << makeCabinet(jobs.front(), std::string(), std::nullopt, true).line;
        return 1;
    }
    if (!existsAsFolder(parsed->folder)) {
        err << "makecab: destination folder " << parsed->folder << " does not exist\n";
        return 1;
    }

    std::optional<std::int64_t> epoch;
    if (std::optional<std::string> value = environment.nonEmpty("SOURCE_DATE_EPOCH")) {
        epoch = parseSourceDateEpoch(*value);
        if (!epoch) {
            err << "makecab: SOURCE_DATE_EPOCH=" << *value
                << " is not a whole number of seconds from 0 to " << kLastSourceDateEpoch << "\n";
            return 1;
        }
    }
    int status = 0;
    std::vector<JobResult> results =
        parsed->list ? runJobs(jobs, parsed->folder, epoch)
                     : std::vector<JobResult>{makeCabinet(
                           jobs.front(), entryPathNoCase(parsed->folder, cabinetName(jobs.front())),
                           epoch, true)};
    for (const JobResult& result : results) {
        (result.ok ? out : err) << result.line;
        status = result.ok ? status : 1;
    }
    return status;
}

} // namespace ornibe
