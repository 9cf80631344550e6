#pragma once

#include <string>

namespace quorvane::win32 {

class Bitmap;

// Saves `bitmap` as a PNG file (UTF-8 name) with the Windows Imaging
// Component; false when it cannot be written.
bool savePng(const Bitmap& bitmap, const std::string& fileName);

}  // namespace quorvane::win32
