#include "cli/TerminalBuildPage.h"

#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/UniqueDir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>

namespace ornibe {
namespace {

// The bar is redrawn at most this often.
constexpr std::chrono::milliseconds kDrawInterval{200};
constexpr double kLeastRateSeconds = 0.5;
// What a partial image must hold beyond its length to tell its total.
constexpr std::uint64_t kLeastReservation = 1 << 20;

// The terminal's width in columns; 80 where it tells none.
int terminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

bool sameTerminal(std::FILE* first, std::FILE* second) {
    int a = ::fileno(first);
    int b = ::fileno(second);
    struct stat one {};
    struct stat other {};
    return a >= 0 && b >= 0 && ::isatty(a) == 1 && ::isatty(b) == 1 && ::fstat(a, &one) == 0 &&
           ::fstat(b, &other) == 0 && one.st_rdev == other.st_rdev;
}

// Terminal controls: to the start of the row and clear it; keep the cursor
// (ESC 7) and go back to it (ESC 8); one row down and one up in the same
// column, scrolling at the screen's edge (ESC D, ESC M).
constexpr const char* kClearRow = "\r\033[K";
constexpr const char* kKeepCursor = "\0337";
constexpr const char* kBackToCursor = "\0338";
constexpr const char* kRowDown = "\033D";
constexpr const char* kRowUp = "\033M";

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
    if (!lines.empty()) {
        midLine_ = lines.back() != '\n';
    }
}

MessageAnswer TerminalBuildPage::FinalBox::show(const std::string& text, MessageStyle style) {
    std::fprintf(out_, "\n%s\n", text.c_str());
    std::fflush(out_);
    return safeAnswer(style);
}

TerminalBuildPage::TerminalBuildPage(Options options)
    : options_(std::move(options)), log_(options_.out, [this] { clearBar(); }),
      finalBox_(options_.out), sharedTerminal_(sameTerminal(options_.out, options_.err)) {}

bool TerminalBuildPage::stopRequested() {
    return options_.stopRequested && options_.stopRequested();
}

void TerminalBuildPage::note(std::string_view text) {
    clearBar();
    std::fprintf(options_.err, "ornibe-build: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(options_.err);
}

void TerminalBuildPage::copyProgressStarted() {
    stepStart_ = Clock::now();
    stepStartBytes_ = 0;
    lastDraw_ = {};
}

bool TerminalBuildPage::copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                                     std::uint64_t filesDone, std::uint64_t filesTotal) {
    drawBar(terminalText(TerminalText::ProgressCopy), bytesDone, bytesTotal, filesDone, filesTotal,
            false);
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
    ImageSize image = imageBytesWritten();
    if (image.written == 0 && !imageStepSeen_) {
        // The rate counts from the last moment nothing was written yet.
        lastDraw_ = now;
        stepStart_ = now;
        return;
    }
    if (!imageStepSeen_ && stepStart_ == Clock::time_point{}) {
        // The image was already under way at the first look: its rate
        // counts from here, over what is written from here on.
        stepStart_ = now;
        stepStartBytes_ = image.written;
    }
    imageStepSeen_ = true;
    // cdimage reserves the whole image's blocks before it writes, keeping
    // the file's length at what is written: a file that holds far more than
    // its length tells the total. (Blocks are rounded up, and a file system
    // that reserves nothing holds about its length.)
    if (imageTotal_ == 0 && image.held >= image.written + kLeastReservation) {
        imageTotal_ = image.held;
    }
    drawBar(terminalText(TerminalText::ProgressImage), image.written, imageTotal_, 0, 0, false);
}

TerminalBuildPage::ImageSize TerminalBuildPage::imageBytesWritten() const {
    std::string folder = folderPart(options_.isoPath);
    const std::string imageName = fileName(options_.isoPath);
    UniqueDir dir(::opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir) {
        return {};
    }
    ImageSize largest;
    while (dirent* entry = ::readdir(dir.get())) {
        if (isPendingFileOf(entry->d_name, imageName)) {
            struct stat info {};
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(info.st_mode) && std::uint64_t(info.st_size) > largest.written) {
                largest = {std::uint64_t(info.st_size), std::uint64_t(info.st_blocks) * 512};
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
    ProgressFigures figures{what, bytes, bytesTotal, files, filesTotal, std::nullopt};
    // The first moments of a step tell no rate.
    if (seconds >= kLeastRateSeconds) {
        figures.megabytesPerSecond =
            double(bytes - std::min(bytes, stepStartBytes_)) / 1048576.0 / seconds;
    }
    std::string line = progressLine(figures, terminalColumns(options_.err));
    if (!barShown_ && sharedTerminal_ && log_.midLine()) {
        // Makes sure there is a row below the log's line (scrolling the
        // screen if it is the last), keeps the place where the line stops,
        // and draws on the row below.
        std::fprintf(options_.err, "%s%s%s%s", kRowDown, kRowUp, kKeepCursor, kRowDown);
        barBelowLog_ = true;
    }
    std::fprintf(options_.err, "%s%s", kClearRow, line.c_str());
    std::fflush(options_.err);
    barShown_ = true;
}

void TerminalBuildPage::clearBar() {
    if (barShown_) {
        std::fputs(kClearRow, options_.err);
        if (barBelowLog_) {
            std::fputs(kBackToCursor, options_.err);
            barBelowLog_ = false;
        }
        std::fflush(options_.err);
        barShown_ = false;
    }
}

} // namespace ornibe
