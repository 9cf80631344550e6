#include "slider/property_bag.hpp"

#include <algorithm>

namespace quorvane {
namespace {

char foldCase(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool keysMatch(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldCase(x) == foldCase(y); });
}

MemoryPropertyBag::MemoryPropertyBag(std::vector<Entry> entries) {
    // Goes through WriteProperty so that keys differing only in case collapse.
    for (auto& [key, value] : entries) WriteProperty(key, value);
}

std::vector<MemoryPropertyBag::Entry>::const_iterator MemoryPropertyBag::Find(std::string_view key) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [key](const Entry& entry) { return keysMatch(entry.first, key); });
}

std::optional<PropertyValue> MemoryPropertyBag::ReadProperty(std::string_view key) const {
    const auto it = Find(key);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

void MemoryPropertyBag::WriteProperty(std::string_view key, const PropertyValue& value) {
    const auto it = Find(key);
    if (it == entries_.end()) {
        entries_.emplace_back(std::string(key), value);
        return;
    }
    // Keeps the entry's place and spelling; only the value changes.
    entries_[static_cast<std::size_t>(it - entries_.begin())].second = value;
}

void MemoryPropertyBag::RemoveProperty(std::string_view key) {
    const auto it = Find(key);
    if (it != entries_.end()) entries_.erase(it);
}

std::vector<std::string> MemoryPropertyBag::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) keys.push_back(entry.first);
    return keys;
}

}  // namespace quorvane
