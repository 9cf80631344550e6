#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "slider/picture.hpp"

namespace quorvane {

// One stored property: a flag, a whole number (colours included) or a picture.
using PropertyValue = std::variant<bool, std::int64_t, Picture>;

// True when two keys are the same without regard to ASCII case.
bool keysMatch(std::string_view a, std::string_view b) noexcept;

// The keyed store a host keeps its controls' design in. Keys are matched
// without regard to case by every implementation.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    // The value stored under key, or nothing when the key is absent.
    virtual std::optional<PropertyValue> ReadProperty(std::string_view key) const = 0;
    // Stores value under key, replacing whatever was stored under it.
    virtual void WriteProperty(std::string_view key, const PropertyValue& value) = 0;
    // Forgets key; nothing happens when it is absent.
    virtual void RemoveProperty(std::string_view key) = 0;
};

// A bag held in memory that keeps its entries in the order they were first written.
class MemoryPropertyBag : public PropertyBag {
public:
    using Entry = std::pair<std::string, PropertyValue>;

    MemoryPropertyBag() = default;
    explicit MemoryPropertyBag(std::vector<Entry> entries);

    std::optional<PropertyValue> ReadProperty(std::string_view key) const override;
    void WriteProperty(std::string_view key, const PropertyValue& value) override;
    void RemoveProperty(std::string_view key) override;

    const std::vector<Entry>& Entries() const noexcept { return entries_; }
    std::vector<std::string> Keys() const;

private:
    std::vector<Entry>::const_iterator Find(std::string_view key) const;

    std::vector<Entry> entries_;
};

}  // namespace quorvane
