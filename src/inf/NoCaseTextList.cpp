#include "inf/NoCaseTextList.h"

#include "sys/CaseFold.h"

namespace ornibe {

bool NoCaseTextList::add(std::string text) {
    if (!folded_.insert(foldSetupText(text)).second)
        return false;
    entries_.push_back(std::move(text));
    return true;
}

bool NoCaseTextList::contains(std::string_view text) const {
    return folded_.contains(foldSetupText(text));
}

std::string NoCaseTextList::at(std::size_t i) const {
    return i < entries_.size() ? entries_[i] : std::string();
}

void NoCaseTextList::clear() {
    entries_.clear();
    folded_.clear();
}

} // namespace ornibe
