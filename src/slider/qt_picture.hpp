#pragma once

// Pictures for the slider made from Qt pixmaps.

#include <QPixmap>

#include <utility>

#include "slider/picture.hpp"

namespace quorvane {

// The image behind a Picture made from a pixmap.
class PixmapPictureData final : public PictureData {
public:
    explicit PixmapPictureData(QPixmap pixmap) : pixmap_(std::move(pixmap)) {}
    const QPixmap& pixmap() const noexcept { return pixmap_; }

private:
    QPixmap pixmap_;
};

// A picture of the pixmap, measuring its natural size in device-independent
// pixels. A null pixmap gives "no picture".
Picture pictureFromPixmap(const QPixmap& pixmap);

// The pixmap a picture was made from, or nullptr for a picture that holds
// none (no picture, the built-in thumb, a picture made elsewhere).
const QPixmap* pixmapOf(const Picture& picture);

}  // namespace quorvane
