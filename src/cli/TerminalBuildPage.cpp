#include "cli/TerminalBuildPage.h"

#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/UniqueDir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cinttypes>

namespace ornibe {
namespace {

// The bar is redrawn at most this often.
constexpr std::chrono::milliseconds kDrawInterval{200};

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1048576.0);
    return text;
}

} // namespace

void TerminalLog::showText(std::string_view text) {
    MemoryProgressLog::showText(text);
    // Lines as the wizard's log view shows them.
    std::string lines = withoutCarriageReturns(text);
    if (beforeWrite_) {
        beforeWrite_();
    }
    std::fwrite(lines.data(), 1, lines.size(), out_);
    std::fflush(out_);
}

MessageAnswer TerminalBuildPage::FinalBox::show(const std::string& text, MessageStyle style) {
    std::fprintf(out_, "\n%s\n", text.c_str());
    std::fflush(out_);
    return safeAnswer(style);
}

TerminalBuildPage::TerminalBuildPage(Options options)
    : options_(std::move(options)), log_(options_.out, [this] { clearBar(); }),
      finalBox_(options_.out) {}

bool TerminalBuildPage::stopRequested() {
    return options_.stopRequested && options_.stopRequested();
}

void TerminalBuildPage::copyProgressStarted() {
    stepStart_ = Clock::now();
    lastDraw_ = {};
}

bool TerminalBuildPage::copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                                     std::uint64_t filesDone, std::uint64_t filesTotal) {
    drawBar("copy", bytesDone, bytesTotal, filesDone, filesTotal, false);
    return !stopRequested();
}

void TerminalBuildPage::copyProgressFinished() {
    clearBar();
}

void TerminalBuildPage::processEvents() {
    // The only long step besides the copy that runs a child is the image:
    // its partial file tells how far it is.
    if (!options_.showProgress || options_.isoPath.empty()) {
        return;
    }
    Clock::time_point now = Clock::now();
    if (now - lastDraw_ < kDrawInterval) {
        return;
    }
    std::uint64_t written = imageBytesWritten();
    if (written == 0 && !imageStepSeen_) {
        // The rate counts from the last moment nothing was written yet.
        lastDraw_ = now;
        stepStart_ = now;
        return;
    }
    imageStepSeen_ = true;
    drawBar("image", written, 0, 0, 0, false);
}

std::uint64_t TerminalBuildPage::imageBytesWritten() const {
    std::string folder = folderPart(options_.isoPath);
    const std::string imageName = fileName(options_.isoPath);
    UniqueDir dir(::opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir) {
        return 0;
    }
    std::uint64_t largest = 0;
    while (dirent* entry = ::readdir(dir.get())) {
        if (isPendingFileOf(entry->d_name, imageName)) {
            struct stat info {};
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(info.st_mode) && std::uint64_t(info.st_size) > largest) {
                largest = std::uint64_t(info.st_size);
            }
        }
    }
    return largest;
}

void TerminalBuildPage::drawBar(const std::string& what, std::uint64_t bytes,
                                std::uint64_t bytesTotal, std::uint64_t files,
                                std::uint64_t filesTotal, bool force) {
    if (!options_.showProgress) {
        return;
    }
    Clock::time_point now = Clock::now();
    if (!force && now - lastDraw_ < kDrawInterval) {
        return;
    }
    lastDraw_ = now;
    double seconds = std::chrono::duration<double>(now - stepStart_).count();
    double rate = seconds > 0 ? double(bytes) / 1048576.0 / seconds : 0;

    std::string line = what + " ";
    if (bytesTotal > 0) {
        constexpr int kWidth = 24;
        int filled = int(std::min(bytes, bytesTotal) * kWidth / bytesTotal);
        line += "[" + std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), '.') +
                "] " + megabytes(bytes) + " / " + megabytes(bytesTotal);
    } else {
        line += megabytes(bytes);
    }
    if (filesTotal > 0) {
        line += ", " + std::to_string(files) + " / " + std::to_string(filesTotal) + " files";
    }
    char tail[48];
    std::snprintf(tail, sizeof tail, ", %.1f MB/s", rate);
    line += tail;
    std::fprintf(options_.err, "\r\033[K%s", line.c_str());
    std::fflush(options_.err);
    barShown_ = true;
}

void TerminalBuildPage::clearBar() {
    if (barShown_) {
        std::fprintf(options_.err, "\r\033[K");
        std::fflush(options_.err);
        barShown_ = false;
    }
}

} // namespace ornibe
