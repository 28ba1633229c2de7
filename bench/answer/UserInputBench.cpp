// Time to read the user's inputs of the worst shapes at their largest: an
// answer file of 64 MB (the most an INF may hold) and lspci listings of
// 4 MB (the most a listing may hold) and of 64 MB. Each is read or refused
// in time linear in its size. Run by hand: build/bench/answer/bench_user_inputs
#include "answer/AnswerFileCheck.h"
#include "check/ControllerMatch.h"
#include "inf/InfLimits.h"
#include "inf/VersionCode.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

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

void timed(const char* shape, const std::string& text, const std::function<std::string()>& read) {
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = read();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-58s %6.1f MB %7.2f s %7.1f MB/s  %s\n", shape, double(text.size()) / 1e6,
                seconds, double(text.size()) / 1e6 / seconds, answer.c_str());
}

void answerFile(const char* shape, const std::string& text) {
    timed(shape, text, [&] {
        ornibe::AnswerFileReading reading =
            ornibe::checkAnswerFileBytes(text, "WINNT.SIF", ornibe::VersionCode::WindowsXp);
        if (!reading.check.outcome) {
            return "refused: " + reading.check.outcome.failure().reason;
        }
        return "passed, " + std::to_string(reading.unchecked.size()) + " unchecked names, " +
               std::to_string(reading.check.warnings.size()) + " notes";
    });
}

void listing(const char* shape, const std::string& text) {
    timed(shape, text, [&] {
        ornibe::Result<ornibe::PciListing> read = ornibe::parseLspciListing(text);
        if (!read) {
            return std::string("refused");
        }
        return std::to_string(read->devices.size()) + " devices, " +
               std::to_string(read->passedOver) + " lines passed over";
    });
}

} // namespace

int main() {
    const std::string user = "[UserData]\r\nFullName = \"Taro Yamada\"\r\n";
    answerFile("answer file: one section of distinct unknown keys",
               filled(user + "[Unattended]\r\n", kAnswerBytes,
                      [](std::size_t i) { return "K" + std::to_string(i) + "=1\r\n"; }));
    answerFile("answer file: distinct unknown sections",
               filled(user, kAnswerBytes,
                      [](std::size_t i) { return "[S" + std::to_string(i) + "]\r\n"; }));
    answerFile("answer file: known keys with values setup's docs do not list",
               filled(user + "[Unattended]\r\n", kAnswerBytes,
                      [](std::size_t i) { return "FileSystem=F" + std::to_string(i) + "\r\n"; }));
    answerFile("answer file: one comment line of UTF-8",
               filled(user + ";", kAnswerBytes, [](std::size_t) { return "注釈"; }));
    answerFile("answer file: empty lines",
               filled(user, kAnswerBytes, [](std::size_t) { return "\r\n"; }));

    const std::string device =
        "00:1f.2 SATA controller [0106]: Intel Corporation AHCI [8086:2922] (rev 02)\n";
    for (std::size_t limit : {std::size_t(4) << 20, std::size_t(64) << 20}) {
        listing("listing: config-space lines after one device",
                filled(device, limit, [](std::size_t) {
                    return "00: 86 80 22 29 07 04 10 00 02 01 06 01 00 00 00 00\n";
                }));
        listing("listing: device lines", filled("", limit, [&](std::size_t) { return device; }));
        listing("listing: one-byte lines, no device",
                filled("", limit, [](std::size_t) { return "x\n"; }));
        listing("listing: lspci -vmmnn records cut short",
                filled("", limit, [](std::size_t) { return "Slot:\t00:1f.2\n\n"; }));
    }
    return 0;
}
