#include "slider/picture.hpp"

namespace quorvane {

Picture Picture::Make(std::int32_t width, std::int32_t height) {
    return Picture{std::make_shared<const PictureData>(), width, height};
}

Picture defaultThumbIcon() {
    static const std::shared_ptr<const PictureData> icon = std::make_shared<const PictureData>();
    return Picture{icon, 16, 16};
}

}  // namespace quorvane
