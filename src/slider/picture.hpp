#pragma once

#include <cstdint>
#include <memory>

namespace quorvane {

// The image behind a Picture. The slider never looks inside; the widget derives
// its own pixmap holder from this class and finds it again with dynamic_cast.
class PictureData {
public:
    virtual ~PictureData() = default;
};

// An image as the slider sees it: an opaque handle plus its natural pixel size.
// A Picture without data is "no picture" and measures 0 x 0.
struct Picture {
    std::shared_ptr<const PictureData> data;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool isPresent() const noexcept { return data != nullptr; }

    // Two pictures are the same when they share the image and the size.
    friend bool operator==(const Picture&, const Picture&) = default;
};

}  // namespace quorvane
