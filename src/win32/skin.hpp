#pragma once

// The skin's pictures: PNG files built into the program as RCDATA resources,
// named as the layout names them (SOURCE, LEDON2, BACKGROUND, ...), decoded
// once with the Windows Imaging Component into 32-bit bitmaps.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "slider/picture.hpp"

struct IWICImagingFactory;

namespace quorvane::win32 {

// A 32-bit top-down DIB section, premultiplied BGRA.
class Bitmap {
public:
    Bitmap(int width, int height);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    HBITMAP handle() const noexcept { return handle_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    // The first pixel's bytes; rows of width * 4 bytes follow one another.
    void* pixels() const noexcept { return pixels_; }

    // Draws the whole bitmap with its top-left corner at (x, y).
    void draw(HDC target, int x, int y) const;
    // Draws the part of the bitmap that lies under `part` (in its own pixels)
    // at the same place on `target`, shifted by (dx, dy).
    void drawPart(HDC target, const RECT& part, int dx, int dy) const;

private:
    HBITMAP handle_ = nullptr;
    void* pixels_ = nullptr;
    int width_;
    int height_;
};

// The WIC factory, started on first use (COM must be initialised on the thread).
IWICImagingFactory& imagingFactory();

class Skin {
public:
    // The picture of resource `name` (a layout name, with or without its
    // ":/folder/" prefix); throws std::runtime_error when it is missing or
    // cannot be decoded.
    const Bitmap& picture(std::string_view name) const;
    // The same picture as a slider takes it.
    Picture sliderPicture(std::string_view name) const;

private:
    mutable std::map<std::string, std::shared_ptr<const Bitmap>, std::less<>> pictures_;  // decoded once
    std::shared_ptr<const Bitmap> load(std::string_view name) const;
};

// The bitmap behind a slider's Picture; null for no picture.
const Bitmap* bitmapOf(const Picture& picture);

}  // namespace quorvane::win32
