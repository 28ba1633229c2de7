#pragma once

#include <cstddef>
#include <string>

namespace ornibe {

// What a finished build has to tell beyond the lines every build writes:
// the problems its check wrote under "検証", the controller match of the
// target machine, the QEMU options of a virtio-win build, and the notes
// beside the log (a step that failed without stopping the build). Any of them
// keeps the confirmation page open after "完成です！", so that the log can
// be read and saved.
struct BuildResults {
    std::size_t problems = 0;
    bool controllersReported = false;
    bool qemuOptions = false;
    std::size_t notes = 0;

    bool empty() const {
        return problems == 0 && !controllersReported && !qemuOptions && notes == 0;
    }
};

// The text of the box that ends a finished build: "完成です！", and on a
// second line what the log holds beyond the usual when there is anything
// ("検証で問題が 2 件見つかりました。QEMU の起動オプションをログに書きました。").
std::string finishedMessage(const BuildResults& results);

} // namespace ornibe
