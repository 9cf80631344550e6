#include "slider/qt_picture.hpp"

#include <memory>

namespace quorvane {

Picture pictureFromPixmap(const QPixmap& pixmap) {
    if (pixmap.isNull()) return Picture{};
    const QSize size = pixmap.deviceIndependentSize().toSize();
    return Picture{std::make_shared<const PixmapPictureData>(pixmap), size.width(), size.height()};
}

const QPixmap* pixmapOf(const Picture& picture) {
    const auto* data = dynamic_cast<const PixmapPictureData*>(picture.data.get());
    return data != nullptr ? &data->pixmap() : nullptr;
}

}  // namespace quorvane
