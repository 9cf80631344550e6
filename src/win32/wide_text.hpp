#pragma once

// UTF-8, as the rest of the program keeps text, and the UTF-16 of the
// system's wide-character calls.

#include <string>
#include <string_view>

namespace quorvane::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace quorvane::win32
