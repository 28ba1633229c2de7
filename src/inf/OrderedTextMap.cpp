#include "inf/OrderedTextMap.h"

namespace ornibe {

bool OrderedTextMap::insert(std::string key, std::string value) {
    if (index_.contains(key))
        return false;
    index_.emplace(key, entries_.size());
    entries_.emplace_back(std::move(key), std::move(value));
    return true;
}

bool OrderedTextMap::contains(std::string_view key) const {
    return find(key) != nullptr;
}

const std::string* OrderedTextMap::find(std::string_view key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void OrderedTextMap::clear() {
    entries_.clear();
    index_.clear();
}

} // namespace ornibe
