#include "media/IsoImport.h"

#include "sys/FileError.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>

#include <cerrno>
#include <mutex>

namespace ornibe {

// What the device callbacks share with the import: the image's sectors,
// what may still be read, and what happened.
struct IsoImport::Reading {
    UniqueFd fd;
    StopCheck stop;
    std::uint64_t sectorsLeft = 0;
    std::uint64_t entriesLeft = 0;
    bool stopped = false;
    bool overBudget = false;
    int readError = 0;
    // The entry libisofs took up last, relative to the root.
    std::string lastEntry;
};

namespace {

using Reading = IsoImport::Reading;

// libisofs keeps one message queue and one set of severities for the whole
// process: imports take turns, so that each hears only its own messages.
std::mutex& importTurn() {
    static std::mutex turn;
    return turn;
}

void initLibisofs() {
    static std::once_flag once;
    std::call_once(once, [] {
        iso_init();
        // libisofs prints nothing; what it cannot import (severity SORRY
        // and worse: an entry it would leave out) is queued, ends the
        // import and is reported in the program's own messages. Names come
        // out UTF-8, whatever the locale says.
        iso_set_msgs_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                                const_cast<char*>("ornibe"));
        iso_set_abort_severity(const_cast<char*>("SORRY"));
        iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
    });
}

// The first queued message; the queue is empty afterwards.
std::string takeMessages() {
    std::string first;
    char text[ISO_MSGS_MESSAGE_LEN];
    char severity[80];
    int code = 0;
    int image = 0;
    while (iso_obtain_msgs(const_cast<char*>("ALL"), &code, &image, text, severity) == 1) {
        if (first.empty()) {
            first = text;
        }
    }
    return first;
}

Reading& readingOf(IsoDataSource* source) {
    return *static_cast<Reading*>(source->data);
}

int openDevice(IsoDataSource*) {
    return ISO_SUCCESS;
}

int closeDevice(IsoDataSource*) {
    return ISO_SUCCESS;
}

// The reading belongs to the IsoImport, which outlives the image.
void freeDevice(IsoDataSource*) {}

int readDeviceSector(IsoDataSource* source, std::uint32_t lba, std::uint8_t* buffer) {
    Reading& reading = readingOf(source);
    if (stopAsked(reading.stop)) {
        reading.stopped = true;
        return ISO_DATA_SOURCE_FATAL;
    }
    if (reading.sectorsLeft == 0) {
        reading.overBudget = true;
        return ISO_DATA_SOURCE_FATAL;
    }
    --reading.sectorsLeft;
    if (!readFully(reading.fd.get(), reinterpret_cast<char*>(buffer), kIsoSectorBytes,
                   std::uint64_t(lba) * kIsoSectorBytes)) {
        reading.readError = errno;
        return ISO_DATA_SOURCE_FAILURE;
    }
    return ISO_SUCCESS;
}

// Called before each entry is added to the tree.
int reportEntry(IsoImage* image, IsoFileSource* file) {
    auto* reading = static_cast<Reading*>(iso_image_get_attached_data(image));
    if (reading == nullptr) {
        return 1;
    }
    if (stopAsked(reading->stop)) {
        reading->stopped = true;
        return ISO_CANCELED;
    }
    if (char* path = iso_file_source_get_path(file)) {
        reading->lastEntry = path[0] == '/' ? path + 1 : path;
        std::free(path);
    }
    if (reading->entriesLeft == 0) {
        reading->overBudget = true;
        return ISO_CANCELED;
    }
    --reading->entriesLeft;
    return 1;
}

// An entry's path as a message shows it: the path of a loop repeats its
// folders, and the first few of them tell where it is.
std::string shownEntry(const std::string& path) {
    constexpr int kShownFolders = 16;
    size_t at = 0;
    for (int i = 0; i < kShownFolders; ++i) {
        at = path.find('/', at);
        if (at == std::string::npos) {
            return path;
        }
        ++at;
    }
    return path.substr(0, at) + "…";
}

template <typename T, void (*Free)(T*)> struct IsoPtr {
    T* p = nullptr;
    IsoPtr() = default;
    IsoPtr(const IsoPtr&) = delete;
    IsoPtr& operator=(const IsoPtr&) = delete;
    ~IsoPtr() {
        if (p != nullptr) {
            Free(p);
        }
    }
};

} // namespace

IsoImport::IsoImport(const ImageDevice& device, View view, Bounds bounds, const StopCheck& stop)
    : reading_(std::make_unique<Reading>()) {
    initLibisofs();
    reading_->fd.reset(::fcntl(device.fd(), F_DUPFD_CLOEXEC, 0));
    if (!reading_->fd.valid()) {
        problem_ = systemReason(errno);
        return;
    }
    reading_->stop = stop;
    reading_->sectorsLeft = bounds.sectors;
    reading_->entriesLeft = bounds.entries;
    // libisofs frees the source itself when its last reference goes.
    source_ = static_cast<IsoDataSource*>(std::calloc(1, sizeof(IsoDataSource)));
    if (source_ == nullptr) {
        problem_ = systemReason(ENOMEM);
        return;
    }
    source_->refcount = 1;
    source_->open = openDevice;
    source_->close = closeDevice;
    source_->read_block = readDeviceSector;
    source_->free_data = freeDevice;
    source_->data = reading_.get();

    IsoPtr<IsoReadOpts, iso_read_opts_free> opts;
    iso_read_opts_new(&opts.p, 0);
    iso_read_opts_set_start_block(opts.p, device.sessionStart());
    iso_read_opts_set_no_iso1999(opts.p, 1);
    iso_read_opts_set_no_md5(opts.p, 1);
    iso_read_opts_set_no_aaip(opts.p, 1);
    iso_read_opts_set_ecma119_map(opts.p, 1);
    iso_read_opts_set_joliet_map(opts.p, 1);
    if (view == View::Windows) {
        // Windows reads the Joliet names, else the plain ISO 9660 names;
        // it never sees Rock Ridge.
        iso_read_opts_set_preferjoliet(opts.p, 1);
        iso_read_opts_set_no_rockridge(opts.p, 1);
    } else {
        iso_read_opts_set_no_joliet(opts.p, 1);
    }

    std::lock_guard turn(importTurn());
    takeMessages();
    iso_image_new(const_cast<char*>("ornibe"), &image_);
    iso_image_attach_data(image_, reading_.get(), nullptr);
    iso_tree_set_report_callback(image_, reportEntry);
    IsoReadImageFeatures* features = nullptr;
    int result = iso_image_import(image_, source_, opts.p, &features);
    std::string message = takeMessages();
    iso_tree_set_report_callback(image_, nullptr);
    if (features != nullptr) {
        rockRidge_ = iso_read_image_features_has_rockridge(features) != 0;
        iso_read_image_features_destroy(features);
    }
    if (reading_->stopped) {
        stopped_ = true;
    } else if (reading_->overBudget) {
        problem_ = translated("フォルダの記録をたどり終わりません (記録がループしています)");
        entry_ = shownEntry(reading_->lastEntry);
    } else if ((result < 0 || !message.empty()) && reading_->readError != 0) {
        problem_ = translated("イメージを読めません: %1", {systemReason(reading_->readError)});
    } else if (result < 0 || !message.empty()) {
        const std::string said = message.empty() ? iso_error_to_msg(result) : message;
        problem_ = view == View::Windows
                       ? translated("ISO 9660 のフォルダを読めません (%1)", {said})
                       : translated("Rock Ridge の記録を読めません (%1)", {said});
    }
    if (stopped_ || !problem_.empty()) {
        iso_image_unref(image_);
        image_ = nullptr;
    }
}

IsoImport::~IsoImport() {
    if (image_ != nullptr) {
        iso_image_unref(image_);
    }
    if (source_ != nullptr) {
        iso_data_source_unref(source_);
    }
}

} // namespace ornibe
