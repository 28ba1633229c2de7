// Time and memory to read the user's inputs of the worst shapes, at 4, 16
// and 64 MB: answer files (64 MB is the most an INF may hold) and lspci
// listings (4 MB is the most a listing file may hold; the reader itself is
// measured past it). Each is read or refused in time linear in its size:
// the seconds grow four times from one size to the next. Run by hand:
//
//   build/bench/answer/bench_user_inputs [WORDS]
//
// runs the shapes whose names hold one of the words (all without any).
// Each shape runs in a child process of its own, so that the peak memory
// it prints is its own: the input text itself and what reading it takes.
#include "answer/AnswerFileCheck.h"
#include "check/ControllerMatch.h"
#include "inf/InfLimits.h"
#include "inf/WindowsTarget.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kAnswerBytes = ornibe::kInfMaxFileBytes - 64;

// Lines from make(i) until the text holds limit bytes.
std::string filled(const std::string& head, std::size_t limit,
                   const std::function<std::string(std::size_t)>& make) {
    std::string text = head;
    for (std::size_t i = 0;; ++i) {
        std::string line = make(i);
        if (text.size() + line.size() > limit) {
            return text;
        }
        text += line;
    }
}

std::vector<std::string> gWords;

bool chosen(const std::string& shape) {
    if (gWords.empty())
        return true;
    for (const std::string& word : gWords)
        if (shape.find(word) != std::string::npos)
            return true;
    return false;
}

// The process's peak resident memory in MB, from /proc/self/status.
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

// Makes the text and reads it in a child process: the peak is counted
// from the moment the text is made.
void timed(const std::string& shape, const std::function<std::string()>& make,
           const std::function<std::string(const std::string&)>& read) {
    if (!chosen(shape))
        return;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child != 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return;
    }
    const std::string text = make();
    std::ofstream("/proc/self/clear_refs") << "5";
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = read(text);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-58s %5.1f MB %7.2f s %7.1f MB/s peak %6.0f MB  %s\n", shape.c_str(),
                double(text.size()) / 1e6, seconds, double(text.size()) / 1e6 / seconds,
                peakMegabytes(), answer.substr(0, 60).c_str());
    std::fflush(stdout);
    std::_Exit(0);
}

void answerFile(const char* shape, std::size_t limit, const std::function<std::string()>& make) {
    timed(std::string(shape) + " " + std::to_string((limit + (1u << 20) - 1) >> 20) + " MB", make,
          [](const std::string& text) {
              ornibe::AnswerFileReading reading = ornibe::checkAnswerFileBytes(
                  text, "WINNT.SIF", ornibe::WindowsVersion::WindowsXp);
              if (!reading.check.outcome) {
                  return "refused: " + reading.check.outcome.failure().reason;
              }
              return "passed, " + std::to_string(reading.unchecked.size()) + " unchecked names, " +
                     std::to_string(reading.check.warnings.size()) + " notes";
          });
}

void listing(const char* shape, std::size_t limit, const std::function<std::string()>& make) {
    timed(std::string(shape) + " " + std::to_string((limit + (1u << 20) - 1) >> 20) + " MB", make,
          [](const std::string& text) {
              ornibe::Result<ornibe::PciListing> read = ornibe::parseLspciListing(text);
              if (!read) {
                  return std::string("refused");
              }
              return std::to_string(read->devices.size()) + " devices, " +
                     std::to_string(read->passedOver) + " lines passed over";
          });
}

} // namespace

int main(int argc, char** argv) {
    gWords.assign(argv + 1, argv + argc);
    const std::string user = "[UserData]\r\nFullName = \"Taro Yamada\"\r\n";
    const std::string device =
        "00:1f.2 SATA controller [0106]: Intel Corporation AHCI [8086:2922] (rev 02)\n";
    for (std::size_t megabytes : {4, 16, 64}) {
        // An answer file of 64 MB less a little, as the INF reader's limit
        // takes it.
        const std::size_t limit = (megabytes << 20) - 64;
        answerFile("answer file: one section of distinct unknown keys", limit, [&] {
            return filled(user + "[Unattended]\r\n", limit,
                          [](std::size_t i) { return "K" + std::to_string(i) + "=1\r\n"; });
        });
        answerFile("answer file: distinct unknown sections", limit, [&] {
            return filled(user, limit,
                          [](std::size_t i) { return "[S" + std::to_string(i) + "]\r\n"; });
        });
        answerFile("answer file: known keys with values setup's docs do not list", limit, [&] {
            return filled(user + "[Unattended]\r\n", limit, [](std::size_t i) {
                return "FileSystem=F" + std::to_string(i) + "\r\n";
            });
        });
        answerFile("answer file: distinct string keys, each replaced once", limit, [&] {
            std::string text = filled(user + "[Strings]\r\n", limit / 2, [](std::size_t i) {
                return "s" + std::to_string(i) + "=" + std::string(40, 'v') + "\r\n";
            });
            return filled(text + "[Unattended]\r\n", limit, [](std::size_t i) {
                return "K" + std::to_string(i) + "=%s" + std::to_string(i) + "%" +
                       std::string(40, 'w') + "\r\n";
            });
        });
        answerFile("answer file: one comment line of UTF-8", limit,
                   [&] { return filled(user + ";", limit, [](std::size_t) { return "注釈"; }); });
        answerFile("answer file: empty lines", limit,
                   [&] { return filled(user, limit, [](std::size_t) { return "\r\n"; }); });
    }
    for (std::size_t megabytes : {4, 16, 64}) {
        const std::size_t limit = megabytes << 20;
        listing("listing: config-space lines after one device", limit, [&] {
            return filled(device, limit, [](std::size_t) {
                return "00: 86 80 22 29 07 04 10 00 02 01 06 01 00 00 00 00\n";
            });
        });
        listing("listing: device lines", limit,
                [&] { return filled("", limit, [&](std::size_t) { return device; }); });
        listing("listing: one-byte lines, no device", limit,
                [&] { return filled("", limit, [](std::size_t) { return "x\n"; }); });
        listing("listing: lspci -vmmnn records cut short", limit, [&] {
            return filled("", limit, [](std::size_t) { return "Slot:\t00:1f.2\n\n"; });
        });
    }
    return 0;
}
