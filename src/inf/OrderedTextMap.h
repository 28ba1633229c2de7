#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ornibe {

// A text-to-text map whose keys compare exactly, byte for byte, and that
// iterates in insertion order. An insertion under a key that is already
// present changes nothing: the first value stored stays.
class OrderedTextMap {
public:
    using Entry = std::pair<std::string, std::string>;
    using const_iterator = std::vector<Entry>::const_iterator;

    // Stores key -> value unless key is present; true when it was stored.
    bool insert(std::string key, std::string value);

    bool contains(std::string_view key) const;
    // The value stored under key, or nothing.
    const std::string* find(std::string_view key) const;

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    const Entry& operator[](std::size_t i) const { return entries_[i]; }

    void clear();

private:
    // Looked up by string_view without building a string.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };

    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> index_;
};

} // namespace ornibe
