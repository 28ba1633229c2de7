#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ornibe {

// An ordered list of code page 932 texts that refuses an entry equal to one
// already present, ignoring ASCII letter case (never folding the trail byte
// of a double-byte character).
class NoCaseTextList {
public:
    using const_iterator = std::vector<std::string>::const_iterator;

    // Appends the text unless an equal one is present; true when appended.
    bool add(std::string text);

    bool contains(std::string_view text) const;
    // Entry i, or the empty text when i is not less than size().
    std::string at(std::size_t i) const;

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    const std::vector<std::string>& entries() const { return entries_; }

    void clear();

private:
    std::vector<std::string> entries_;
    std::unordered_set<std::string> folded_;
};

} // namespace ornibe
