#include "IsoWriter.h"

#include "FileStream.h"
#include "ImageOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include "sys/CaseFold.h"
#include "sys/FileError.h"

namespace ornibe {
namespace {

// libisofs keeps global state between iso_init and iso_finish.
class Library {
public:
    Library() : ok_(iso_init() >= 0) {
        if (ok_) {
            // Messages are collected and reported as one line; a file that
            // cannot be read is a failure rather than a hole of zeros.
            iso_set_msgs_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                                    const_cast<char*>("cdimage"));
            iso_set_abort_severity(const_cast<char*>("SORRY"));
            iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
        }
    }
    ~Library() {
        if (ok_) {
            drainMessages();
            iso_finish();
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    bool ok() const { return ok_; }

    // The first queued problem (severity SORRY or worse), if any; empties
    // the queue.
    std::optional<std::string> drainMessages() {
        std::optional<std::string> first;
        char text[ISO_MSGS_MESSAGE_LEN];
        char severity[80];
        int code = 0;
        int imageId = 0;
        while (iso_obtain_msgs(const_cast<char*>("SORRY"), &code, &imageId, text, severity) == 1) {
            if (!first) {
                first = text;
            }
        }
        return first;
    }

private:
    bool ok_;
};

struct ImageDeleter {
    void operator()(IsoImage* image) const { iso_image_unref(image); }
};
struct OptsDeleter {
    void operator()(IsoWriteOpts* opts) const { iso_write_opts_free(opts); }
};

// Why libisofs failed: the message it queued, or else the text of its
// error code.
std::string libraryReason(int code, Library& library) {
    std::optional<std::string> queued = library.drainMessages();
    return queued ? *queued : std::string(iso_error_to_msg(code));
}

// A name for a hidden node in the root that no entry of the tree uses.
std::string unusedRootName(const ImageTree& tree, const std::string& stem,
                           const std::string& extension) {
    std::set<std::string> used;
    for (const ImageTree::Folder& folder : tree.folders) {
        if (folder.parent == 0) {
            used.insert(foldHostText(folder.name));
        }
    }
    for (const ImageTree::File& file : tree.files) {
        if (file.folder == 0) {
            used.insert(foldHostText(file.name));
        }
    }
    std::string name = stem + extension;
    for (int n = 1; used.count(name); ++n) {
        name = stem + std::to_string(n) + extension;
    }
    return name;
}

// The volume's dates as ECMA-119 writes them, "YYYYMMDDhhmmsscc" in UTC.
std::string volumeTimeText(std::int64_t seconds) {
    const time_t when = static_cast<time_t>(seconds);
    tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d00", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

// While it lives, libisofs takes the given time for "now", which dates
// the directory records and the volume.
class NowOverride {
public:
    explicit NowOverride(std::optional<std::int64_t> epoch) : active_(epoch.has_value()) {
        if (active_) {
            time_t when = static_cast<time_t>(*epoch);
            iso_nowtime(&when, 1);
        }
    }
    ~NowOverride() {
        if (active_) {
            time_t unused = 0;
            iso_nowtime(&unused, 2);
        }
    }
    NowOverride(const NowOverride&) = delete;
    NowOverride& operator=(const NowOverride&) = delete;

private:
    bool active_;
};

// Adds the file name to folder, its content read from source.
int addFileNode(IsoDir* folder, const std::string& name, const std::string& source,
                FileStreamProblem& problem, IsoFile** file) {
    IsoStream* stream = newFileStream(source, problem);
    if (stream == nullptr) {
        return static_cast<int>(ISO_FILE_ERROR);
    }
    int code = iso_tree_add_new_file(folder, name.c_str(), stream, file);
    if (code < 0) {
        iso_stream_unref(stream);
    }
    return code;
}

std::string addNodeProblem(int code, const std::string& name, Library& library) {
    if (code == static_cast<int>(ISO_NODE_NAME_NOT_UNIQUE)) {
        return "two entries of one folder differ only in letter case: " + name;
    }
    return "cannot add " + name + ": " + libraryReason(code, library);
}

Failure writeFailure(std::string reason) {
    return Failure{"write", {}, std::move(reason)};
}

} // namespace

Outcome writeIsoImage(const ImageTree& tree, const ImageOptions& options, int fd) {
    Library library;
    if (!library.ok()) {
        return writeFailure("libisofs could not be started");
    }
    NowOverride now(options.epoch);
    IsoImage* rawImage = nullptr;
    int code = iso_image_new(options.label.c_str(), &rawImage);
    if (code < 0) {
        return writeFailure(libraryReason(code, library));
    }
    std::unique_ptr<IsoImage, ImageDeleter> image(rawImage);
    // The image keeps the label as given; the identifier of the volume set
    // is the same text.
    iso_image_set_volume_id(image.get(), options.label.c_str());

    std::vector<IsoDir*> folders(tree.folders.size());
    folders[0] = iso_image_get_root(image.get());
    for (size_t i = 1; i < tree.folders.size(); ++i) {
        std::string name = foldHostText(tree.folders[i].name);
        code = iso_tree_add_new_dir(folders[tree.folders[i].parent], name.c_str(), &folders[i]);
        if (code < 0) {
            return writeFailure(addNodeProblem(code, tree.folders[i].source, library));
        }
    }
    FileStreamProblem readProblem;
    std::vector<IsoFile*> files(tree.files.size());
    for (size_t i = 0; i < tree.files.size(); ++i) {
        const ImageTree::File& file = tree.files[i];
        std::string name = foldHostText(file.name);
        if (file.twinOf != i) {
            // One stream for both nodes: libisofs writes the content once.
            IsoStream* stream = iso_file_get_stream(files[file.twinOf]);
            iso_stream_ref(stream);
            code = iso_tree_add_new_file(folders[file.folder], name.c_str(), stream, &files[i]);
            if (code < 0) {
                iso_stream_unref(stream);
            }
        } else {
            code = addFileNode(folders[file.folder], name, file.source, readProblem, &files[i]);
        }
        if (code < 0) {
            return writeFailure(readProblem.text ? *readProblem.text
                                                 : addNodeProblem(code, file.source, library));
        }
    }

    if (options.bootFile) {
        std::string bootName = unusedRootName(tree, "BOOTIMG", ".BIN");
        std::string catalogName = unusedRootName(tree, "BOOTCAT", ".BIN");
        IsoFile* bootFile = nullptr;
        code = addFileNode(folders[0], bootName, *options.bootFile, readProblem, &bootFile);
        if (code < 0) {
            return writeFailure(readProblem.text ? *readProblem.text
                                                 : "cannot add boot file " + *options.bootFile +
                                                       ": " + libraryReason(code, library));
        }
        IsoNode* bootNode = reinterpret_cast<IsoNode*>(bootFile);
        // Hidden from every directory tree, but its content is written.
        iso_node_set_hidden(bootNode, LIBISO_HIDE_ON_RR | LIBISO_HIDE_ON_JOLIET |
                                          LIBISO_HIDE_ON_1999 | LIBISO_HIDE_BUT_WRITE);
        ElToritoBootImage* boot = nullptr;
        code = iso_image_set_boot_image(image.get(), ("/" + bootName).c_str(), ELTORITO_NO_EMUL,
                                        ("/" + catalogName).c_str(), &boot);
        if (code < 0) {
            return writeFailure("cannot use boot file " + *options.bootFile + ": " +
                                libraryReason(code, library));
        }
        el_torito_set_load_seg(boot, 0x07C0);
        el_torito_set_load_size(boot, 4);
        iso_image_set_boot_catalog_hidden(image.get(), LIBISO_HIDE_ON_RR | LIBISO_HIDE_ON_JOLIET |
                                                           LIBISO_HIDE_ON_1999);
    }

    IsoWriteOpts* rawOpts = nullptr;
    code = iso_write_opts_new(&rawOpts, 0);
    if (code < 0) {
        return writeFailure(libraryReason(code, library));
    }
    std::unique_ptr<IsoWriteOpts, OptsDeleter> opts(rawOpts);
    iso_write_opts_set_iso_level(opts.get(), options.longNames ? 3 : 1);
    iso_write_opts_set_rockridge(opts.get(), 0);
    iso_write_opts_set_joliet(opts.get(), 0);
    iso_write_opts_set_iso1999(opts.get(), 0);
    iso_write_opts_set_omit_version_numbers(opts.get(), 1);
    iso_write_opts_set_no_force_dots(opts.get(), 1);
    iso_write_opts_set_allow_deep_paths(opts.get(), 1);
    iso_write_opts_set_allow_longer_paths(opts.get(), 1);
    iso_write_opts_set_max_37_char_filenames(opts.get(), options.longNames ? 1 : 0);
    iso_write_opts_set_allow_dir_id_ext(opts.get(), 1);
    iso_write_opts_set_allow_lowercase(opts.get(), 0);
    // Windows names may hold "$", "~", "-" and the like ($OEM$); they pass,
    // letters still go to upper case.
    iso_write_opts_set_allow_7bit_ascii(opts.get(), 1);
    iso_write_opts_set_relaxed_vol_atts(opts.get(), 1);
    if (options.epoch) {
        // Dates that do not depend on the machine's time zone either.
        const time_t when = static_cast<time_t>(*options.epoch);
        std::string volumeTime = volumeTimeText(*options.epoch);
        iso_write_opts_set_always_gmt(opts.get(), 1);
        iso_write_opts_set_pvd_times(opts.get(), when, when, 0, 0, volumeTime.data());
    }

    struct burn_source* source = nullptr;
    code = iso_image_create_burn_source(image.get(), opts.get(), &source);
    if (code < 0) {
        return writeFailure(libraryReason(code, library));
    }
    // The image's blocks are reserved before it is written, the file's
    // length staying at what is written: ornibe-build's progress bar reads
    // the image's total from the partial file's blocks. Where the file
    // system cannot reserve, the image is written as it comes.
    const off_t total = source->get_size(source);
    if (total > 0) {
        (void)::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, total);
    }
    std::optional<std::string> problem;
    // The source hands out whole 2048-byte blocks: asked for more than is
    // left at the end, it reports the end and drops the rest. So it is
    // asked for large pieces while the announced size lasts (each request
    // crosses to the thread that makes the image, and 2048 bytes at a time
    // that crossing cost more than the copying), and for single blocks
    // after it, until it reports the end.
    constexpr size_t kBlock = 2048;
    static_assert(ImageOutput::kPieceSize % kBlock == 0);
    const std::uint64_t announced = total > 0 ? static_cast<std::uint64_t>(total) : 0;
    std::uint64_t imageBytes = 0;
    ImageOutput output(fd);
    while (true) {
        std::span<unsigned char> buffer = output.piece();
        if (buffer.empty()) {
            break;
        }
        size_t filled = 0;
        while (filled < buffer.size()) {
            std::uint64_t left =
                announced > imageBytes + filled ? announced - imageBytes - filled : 0;
            size_t want = left >= kBlock ? static_cast<size_t>(std::min<std::uint64_t>(
                                               left - left % kBlock, buffer.size() - filled))
                                         : kBlock;
            int got = source->read_xt(source, buffer.data() + filled, static_cast<int>(want));
            if (got <= 0) {
                if (got < 0) {
                    problem = libraryReason(static_cast<int>(ISO_WRITE_ERROR), library);
                }
                break;
            }
            filled += static_cast<size_t>(got);
        }
        if (problem || filled == 0) {
            break;
        }
        output.write(filled);
        imageBytes += filled;
        if (filled < buffer.size()) {
            break;
        }
    }
    // The image is made durable before it gets its name; the writes
    // handed over are waited for first.
    if (std::optional<int> error = output.finish(); error && !problem) {
        problem = systemReason(*error);
    }
    if (!problem) {
        problem = library.drainMessages();
    }
    if (problem && readProblem.text) {
        // A file that could not be read is named rather than libisofs's
        // general complaint.
        problem = readProblem.text;
    }
    if (!problem && imageBytes < announced) {
        // The end came before the announced size: the image would lack
        // its last blocks.
        problem = "the image ended after " + std::to_string(imageBytes) + " of " +
                  std::to_string(announced) + " bytes";
    }
    if (problem) {
        source->cancel(source);
    }
    source->free_data(source);
    std::free(source);
    return problem ? Outcome(writeFailure(*problem)) : Outcome();
}

} // namespace ornibe
