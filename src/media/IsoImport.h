#pragma once

#include "media/ImageDevice.h"
#include "sys/StopCheck.h"

// libisofs.h uses the fixed-width types without including their header.
#include <cstdint>
#include <cstdlib>
#include <libisofs/libisofs.h>

#include <memory>
#include <string>

namespace ornibe {

// One directory tree of an image as libisofs imports it, read through the
// image's own device. libisofs follows whatever the records say and leaves
// out, with no more than a message in its queue, what it cannot read, so
// the import here is bounded and its messages are heard: it may read at
// most so many sectors and take up so many entries (a tree that needs more
// leads it round in a loop), it ends when stop says so, and any message of
// severity SORRY or worse (an entry it could not import) fails it.
class IsoImport {
public:
    struct Bounds {
        std::uint64_t sectors = 0;
        std::uint64_t entries = 0;
    };

    enum class View {
        // What Windows shows: the Joliet names when the image has them, else
        // the ISO 9660 names; never Rock Ridge.
        Windows,
        // The Rock Ridge tree over the ISO 9660 names.
        RockRidge,
    };

    IsoImport(const ImageDevice& device, View view, Bounds bounds, const StopCheck& stop);
    ~IsoImport();
    IsoImport(const IsoImport&) = delete;
    IsoImport& operator=(const IsoImport&) = delete;

    // The imported image; null when the import failed or was stopped.
    IsoImage* image() const { return image_; }
    bool stopped() const { return stopped_; }
    // Why the tree could not be imported whole, and the entry it happened
    // on ("I386/LANG"; empty when it is not known); empty on success.
    const std::string& problem() const { return problem_; }
    const std::string& entry() const { return entry_; }

    bool hasRockRidge() const { return rockRidge_; }

    struct Reading;

private:
    IsoImage* image_ = nullptr;
    IsoDataSource* source_ = nullptr;
    std::unique_ptr<Reading> reading_;
    bool stopped_ = false;
    bool rockRidge_ = false;
    std::string problem_;
    std::string entry_;
};

} // namespace ornibe
