#pragma once

#include "inf/PeImage.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The CD's modules (the kernel, HAL, the files text mode loads) that one
// run has read for the load check, so that the checks of one run (on
// "次へ >", in the summary and of the finished tree) take each out of its
// cabinet and read its PE image once. A module is known by its name and
// the bytes of the file it was read from, its plain file or its cabinet:
// the kernel copied from the CD into the work folder is the one module,
// a kernel that a Service Pack replaced is another. The run that reads
// the modules holds one of these and hands it to each check.
class CdModules {
public:
    // The key of the module called folded (its name folded) read from a
    // file holding bytes.
    static std::string key(std::string_view folded, std::string_view bytes);

    // What was read for key: the module's image, or nothing when the
    // file gave no readable image; null when it was never read.
    const std::optional<PeImage>* find(const std::string& key) const;
    void add(const std::string& key, std::optional<PeImage> image);

    // How many modules were read from their files.
    std::size_t size() const { return modules_.size(); }

private:
    std::map<std::string, std::optional<PeImage>> modules_;
};

} // namespace ornibe
